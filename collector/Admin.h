// Maintainers' access to full reports, e-mail addresses and serial numbers included:
//   GET    /vexa/admin/details/N/             report N as a page
//   GET    /vexa/admin/details/N/report.json  report N exactly as received
//   GET    /vexa/admin/reports.json?model=M   the reports of model M as received
//   DELETE /vexa/admin/details/N/             forgets report N (204; 404 when absent)
// Every request carries "Authorization: Bearer TOKEN"; without the right token the
// answer is 401. With no token configured the endpoints do not exist (404), so a
// service set up without one has no maintainer access at all. Nothing of these
// answers is kept by caches.
#pragma once

#include <httplib.h>

#include <array>
#include <string>
#include <string_view>

#include "Store.h"

namespace vexa::collector {

// A token compared in constant time: both sides are reduced to their SHA-256 digests,
// which are compared with CRYPTO_memcmp, so neither the token's bytes nor its length
// show in the time an answer takes.
class TAdminToken {
public:
  explicit TAdminToken(std::string_view token);
  bool Matches(std::string_view candidate) const;
  // True when the request's Authorization header is "Bearer " and this token.
  bool Authorizes(const httplib::Request& request) const;

private:
  std::array<unsigned char, 32> digest{};
};

// The token in FILE: its first line without surrounding blanks. Throws EUsageError
// when the file cannot be read or holds no token; warns on standard error when other
// users may read it.
std::string ReadAdminToken(const std::string& path);

// Adds the endpoints above when token is not empty. The store must outlive the server.
void ConfigureAdmin(httplib::Server& server, TReportStore& store, const std::string& token);

}  // namespace vexa::collector
