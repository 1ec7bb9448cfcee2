// The maintainers' endpoints check the token before anything else, so a request
// without it learns nothing, not even whether a report number exists.
#include "Admin.h"

#include <fcntl.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "Options.h"
#include "Pages.h"

namespace vexa::collector {

namespace {

constexpr int MaxReportsPerAnswer = 1000;
// The token is one line; a longer file is not a token file.
constexpr std::size_t MaxTokenFileBytes = 64 * 1024;
constexpr const char* TextType = "text/plain; charset=utf-8";
constexpr const char* JsonType = "application/json; charset=utf-8";

std::array<unsigned char, 32> Sha256(std::string_view text) {
  std::array<unsigned char, 32> digest{};
  unsigned int length = 0;
  if (EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1 ||
      length != digest.size()) {
    throw std::runtime_error("SHA-256 failed");
  }
  return digest;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

void Answer(httplib::Response& response, int status, const std::string& text) {
  response.status = status;
  response.set_content(text + "\n", TextType);
}

std::int64_t ReportNumber(const httplib::Request& request) { return std::stoll(request.matches[1].str()); }

}  // namespace

TAdminToken::TAdminToken(std::string_view token) : digest(Sha256(token)) {}

bool TAdminToken::Matches(std::string_view candidate) const {
  const auto other = Sha256(candidate);
  return CRYPTO_memcmp(digest.data(), other.data(), digest.size()) == 0;
}

bool TAdminToken::Authorizes(const httplib::Request& request) const {
  const std::string header = request.get_header_value("Authorization");
  constexpr std::string_view Scheme = "bearer ";
  if (header.size() <= Scheme.size()) return false;
  for (std::size_t i = 0; i < Scheme.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(header[i])) != Scheme[i]) return false;
  }
  return Matches(TrimBlanks(std::string_view(header).substr(Scheme.size())));
}

std::string ReadAdminToken(const std::string& path) {
  const auto unreadable = [&path](int error) {
    return EUsageError("--admin-token-file: cannot read '" + path + "': " + std::strerror(error));
  };
  const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) throw unreadable(errno);
  struct stat status {};
  std::string text;
  char buffer[4096];
  ssize_t got = 0;
  while (text.size() < MaxTokenFileBytes && (got = ::read(file, buffer, sizeof buffer)) > 0)
    text.append(buffer, static_cast<std::size_t>(got));
  const int readError = got < 0 ? errno : 0;
  const bool statFailed = ::fstat(file, &status) != 0;
  ::close(file);
  if (readError != 0) throw unreadable(readError);
  if (statFailed) throw unreadable(errno);
  const std::string_view token = TrimBlanks(std::string_view(text).substr(0, text.find('\n')));
  if (token.empty()) throw EUsageError("--admin-token-file: '" + path + "' holds no token on its first line");
  if ((status.st_mode & (S_IRGRP | S_IROTH)) != 0) {
    std::fprintf(stderr, "vexa-collector: warning: other users may read the maintainer token in '%s' (chmod 600 it)\n",
                 path.c_str());
  }
  return std::string(token);
}

void ConfigureAdmin(httplib::Server& server, TReportStore& store, const std::string& token) {
  if (token.empty()) return;
  const auto guard = [check = TAdminToken(token)](auto handler) {
    return [check, handler](const httplib::Request& request, httplib::Response& response) {
      response.set_header("Cache-Control", "no-store");
      if (!check.Authorizes(request)) {
        response.set_header("WWW-Authenticate", "Bearer realm=\"vexa-collector\"");
        return Answer(response, 401, "this needs the maintainer token: Authorization: Bearer TOKEN");
      }
      handler(request, response);
    };
  };
  // Eighteen digits at most: every such number fits a signed 64-bit id.
  server.Get(R"(/vexa/admin/details/(\d{1,18})/)",
             guard([&store](const httplib::Request& request, httplib::Response& response) {
               const auto stored = store.Find(ReportNumber(request));
               if (!stored) return Answer(response, 404, "no such report");
               response.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
               response.set_header("X-Content-Type-Options", "nosniff");
               response.set_content(DetailsPage(*stored, TAudience::Maintainer), "text/html; charset=utf-8");
             }));
  server.Get(R"(/vexa/admin/details/(\d{1,18})/report\.json)",
             guard([&store](const httplib::Request& request, httplib::Response& response) {
               const auto stored = store.Find(ReportNumber(request));
               if (!stored) return Answer(response, 404, "no such report");
               response.set_content(stored->text, JsonType);
             }));
  server.Get("/vexa/admin/reports.json", guard([&store](const httplib::Request& request, httplib::Response& response) {
               if (!request.has_param("model"))
                 return Answer(response, 400, "give the model: /vexa/admin/reports.json?model=MODEL");
               const auto reports = store.OfModel(request.get_param_value("model"), MaxReportsPerAnswer);
               response.set_content(ReportsJson(reports, TAudience::Maintainer), JsonType);
             }));
  server.Delete(R"(/vexa/admin/details/(\d{1,18})/)",
                guard([&store](const httplib::Request& request, httplib::Response& response) {
                  if (!store.Delete(ReportNumber(request))) return Answer(response, 404, "no such report");
                  response.status = 204;
                }));
}

}  // namespace vexa::collector
