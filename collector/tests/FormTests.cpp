// The submit body is read as any form parser reads it.
#include <gtest/gtest.h>

#include "Form.h"

namespace vexa::collector {

TEST(FormField, DecodesPlusAndEscapesAndKeepsBrokenEscapes) {
  EXPECT_EQ(FormField("a=1&data=%7B%22x%22%3A%22a%26b%2Bc%25%22%7D+%E5%8E%9F&data=2", "data"), "{\"x\":\"a&b+c%\"} 原");
  EXPECT_EQ(FormField("data=%zz%4", "data"), "%zz%4");
  EXPECT_EQ(FormField("data", "data"), "");
  EXPECT_EQ(FormField("dat=1&datax=2", "data"), std::nullopt);
}

}  // namespace vexa::collector
