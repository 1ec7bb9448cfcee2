// Binding the service's port.
#include <gtest/gtest.h>

#include "Service.h"

namespace vexa::collector {

TEST(BindService, APortAnotherCollectorServesIsRefused) {
  httplib::Server first;
  httplib::Server second;
  const int port = BindService(first, "127.0.0.1", 0);
  ASSERT_GT(port, 0);
  EXPECT_EQ(BindService(second, "127.0.0.1", port), -1);
}

}  // namespace vexa::collector
