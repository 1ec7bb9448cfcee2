// Handlers answer every refusal with a 4xx status and a one-line reason, and store
// nothing for it; a store failure is a 500 and is logged. Reports are read from the
// body here rather than by the library, whose own form parsing refuses bodies
// above 8 KiB.
#include "Service.h"

#include <sys/socket.h>

#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

#include "AccessLog.h"
#include "Form.h"
#include "Guard.h"
#include "ModelPages.h"
#include "Pages.h"
#include "Redact.h"
#include "Report.h"

namespace vexa::collector {

namespace {

constexpr int ListedReports = 50;
constexpr int ListedModels = 200;
constexpr int MaxReportsPerAnswer = 1000;
constexpr int MaxListedModels = 5000;
constexpr const char* TextType = "text/plain; charset=utf-8";

void Refuse(httplib::Response& response, int status, const std::string& reason) {
  response.status = status;
  response.set_content(reason + "\n", TextType);
}

void SendPage(httplib::Response& response, const std::string& html) {
  response.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
  response.set_header("X-Content-Type-Options", "nosniff");
  response.set_content(html, "text/html; charset=utf-8");
}

// Reads the whole body, at most maxBodyBytes; none when it was too large (status 413
// set) or could not be read (status 400 set). A declared length over the limit is
// refused before here; a chunked body is cut off by the receiver as soon as it grows
// past it.
std::optional<std::string> ReadBody(const httplib::Request& request, httplib::Response& response,
                                    const httplib::ContentReader& reader, std::size_t maxBodyBytes) {
  std::string body;
  bool tooLarge = false;
  const auto receive = [&](const char* data, std::size_t length) {
    tooLarge = body.size() + length > maxBodyBytes;
    if (!tooLarge) body.append(data, length);
    return !tooLarge;
  };
  bool complete = false;
  if (request.is_multipart_form_data()) {
    // Read (and drop) so that the connection stays in step; the form is refused below.
    complete = reader([](const httplib::MultipartFormData&) { return true; }, receive);
    if (complete && !tooLarge) {
      Refuse(response, 415, "send the report as application/x-www-form-urlencoded");
      return std::nullopt;
    }
  } else {
    complete = reader(receive);
  }
  // The library refuses a declared length above the limit by itself, with status 413.
  if (tooLarge || response.status == 413) {
    Refuse(response, 413, "the body is larger than " + std::to_string(maxBodyBytes) + " bytes");
    return std::nullopt;
  }
  if (!complete) {
    Refuse(response, 400, "the body could not be read");
    return std::nullopt;
  }
  return body;
}

void Submit(TReportStore& store, const httplib::Request& request, httplib::Response& response,
            const httplib::ContentReader& reader, std::size_t maxBodyBytes) {
  const std::optional<std::string> body = ReadBody(request, response, reader, maxBodyBytes);
  if (!body) return;
  const std::optional<std::string> text = FormField(*body, "data");
  if (!text) return Refuse(response, 400, "the form has no field 'data'");
  TReportSummary summary;
  try {
    summary = SummarizeReport(ParseReport(*text));
  } catch (const EBadReport& error) {
    return Refuse(response, 400, error.what());
  }
  const std::int64_t id = store.Add(summary, *text, static_cast<std::int64_t>(std::time(nullptr)));
  // The client reads a short decimal body as the report's number.
  response.set_content(std::to_string(id), TextType);
}

std::optional<TStoredReport> FindReport(TReportStore& store, const httplib::Request& request) {
  return store.Find(std::stoll(request.matches[1].str()));
}

}  // namespace

void ConfigureService(httplib::Server& server, TReportStore& store, std::size_t maxBodyBytes) {
  server.new_task_queue = [] { return new httplib::ThreadPool(ServerThreads); };
  server.set_read_timeout(ReadTimeoutSeconds);
  server.set_write_timeout(ReadTimeoutSeconds);
  server.set_keep_alive_timeout(ReadTimeoutSeconds);
  server.set_payload_max_length(maxBodyBytes);
  // Headers and body leave in separate writes; without this a client's delayed
  // acknowledgement holds every answer's body back for tens of milliseconds.
  server.set_tcp_nodelay(true);

  server.Post("/vexa/submit.php", [&store, maxBodyBytes](const httplib::Request& request, httplib::Response& response,
                                                         const httplib::ContentReader& reader) {
    Submit(store, request, response, reader, maxBodyBytes);
  });
  server.Get("/vexa/", [&store](const httplib::Request&, httplib::Response& response) {
    SendPage(response, IndexPage(store.Latest(ListedReports), store.CountsPerModel(ListedModels), store.Count()));
  });
  // Eighteen digits at most: every such number fits a signed 64-bit id.
  server.Get(R"(/vexa/details/(\d{1,18})/)", [&store](const httplib::Request& request, httplib::Response& response) {
    const auto stored = FindReport(store, request);
    if (!stored) return Refuse(response, 404, "no such report");
    SendPage(response, DetailsPage(*stored));
  });
  server.Get(R"(/vexa/details/(\d{1,18})/report\.json)",
             [&store](const httplib::Request& request, httplib::Response& response) {
               const auto stored = FindReport(store, request);
               if (!stored) return Refuse(response, 404, "no such report");
               response.set_content(PublicReportText(stored->text), "application/json; charset=utf-8");
             });
  server.Get("/", [](const httplib::Request&, httplib::Response& response) { response.set_redirect("/vexa/"); });
  server.Get("/vexa", [](const httplib::Request&, httplib::Response& response) { response.set_redirect("/vexa/"); });
  // For load balancers and supervisors: whether this instance can reach its database.
  server.Get("/healthz", [&store](const httplib::Request&, httplib::Response& response) {
    try {
      store.Ping();
      response.set_content("ok\n", TextType);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "vexa-collector: the database does not answer: %s\n", error.what());
      Refuse(response, 503, "the database does not answer");
    }
  });
  server.Get("/vexa/reports.json", [&store](const httplib::Request& request, httplib::Response& response) {
    if (!request.has_param("model")) return Refuse(response, 400, "give the model: /vexa/reports.json?model=MODEL");
    response.set_content(ReportsJson(store.OfModel(request.get_param_value("model"), MaxReportsPerAnswer)),
                         "application/json; charset=utf-8");
  });

  // The path arrives URL-decoded; a model that is not UTF-8 cannot have been stored.
  const auto modelOf = [](const httplib::Request& request) -> std::optional<std::string> {
    const std::string model = request.matches[1].str();
    if (!IsValidUtf8(model)) return std::nullopt;
    return model;
  };
  server.Get("/vexa/models/", [&store](const httplib::Request&, httplib::Response& response) {
    // One more than is listed tells whether there are more.
    auto models = store.Models(MaxListedModels + 1);
    const bool limited = models.size() > MaxListedModels;
    if (limited) models.pop_back();
    SendPage(response, ModelsPage(models, limited));
  });
  server.Get(R"(/vexa/models/(.*)/figures\.json)",
             [&store, modelOf](const httplib::Request& request, httplib::Response& response) {
               const auto model = modelOf(request);
               const auto figures = model ? store.FiguresOfModel(*model) : std::nullopt;
               if (!figures) return Refuse(response, 404, "no such model");
               response.set_content(FiguresJson(*figures), "application/json; charset=utf-8");
             });
  server.Get(R"(/vexa/models/(.*)/)", [&store, modelOf](const httplib::Request& request, httplib::Response& response) {
    const auto model = modelOf(request);
    const auto figures = model ? store.FiguresOfModel(*model) : std::nullopt;
    if (!figures) return Refuse(response, 404, "no such model");
    SendPage(response, ModelPage(*figures));
  });

  server.set_exception_handler(
      [](const httplib::Request& request, httplib::Response& response, std::exception_ptr error) {
        std::string what = "unknown error";
        try {
          std::rethrow_exception(error);
        } catch (const std::exception& e) {
          what = e.what();
        } catch (...) {
        }
        std::fprintf(stderr, "vexa-collector: %s %s failed: %s\n", request.method.c_str(), request.path.c_str(),
                     what.c_str());
        Refuse(response, 500, "the service failed; try again later");
      });
  server.set_error_handler([](const httplib::Request& request, httplib::Response& response) {
    ExplainCutShortRequest(request, response);
    if (response.body.empty() && response.status == 404) Refuse(response, 404, "not found");
  });
  InstallAccessLog(server);
}

int BindService(httplib::Server& server, const std::string& host, int port) {
  // The library listens with a backlog of 5: a burst of clients overflows it and the
  // kernel answers with SYN cookies that fail as soon as data follows, resetting
  // those connections. Listening again on the bound socket widens the backlog.
  int listening = -1;
  server.set_socket_options([&listening](socket_t socket) {
    httplib::default_socket_options(socket);
    // The library also sets SO_REUSEPORT, which lets a second collector bind a port
    // that one is serving and silently take half of its clients; only SO_REUSEADDR
    // (a restart over connections still closing) is wanted.
    const int off = 0;
    const int on = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEPORT, &off, sizeof off);
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    listening = socket;
  });
  const int bound = port == 0 ? server.bind_to_any_port(host) : (server.bind_to_port(host, port) ? port : -1);
  if (bound < 0) return -1;
  if (::listen(listening, SOMAXCONN) != 0) return -1;
  return bound;
}

}  // namespace vexa::collector
