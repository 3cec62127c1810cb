#pragma once
// Fake web sites for tests and benchmarks: cpp-httplib servers on 127.0.0.1 that serve what a
// test registers, record every request exactly as it arrived on the wire (header lines in their
// order, names as sent) and inject faults on demand. A site serves from construction until it
// is destroyed; destruction is prompt even while a handler stalls, because stalling handlers
// wait on a condition the destructor signals.

#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fake {

struct RecordedRequest {
    std::string method, target, version;
    std::vector<std::pair<std::string, std::string>> headers;  // in arrival order, names as sent
    std::string body;

    // First value of a header, the name compared without regard to case; empty when absent.
    std::string Header(std::string_view name) const;
    // Every header as "Name: value", in arrival order.
    std::vector<std::string> HeaderLines() const;
};

class FakeSite {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    explicit FakeSite(bool https = false, int port = 0);  // 127.0.0.1, port 0 = random
    ~FakeSite();
    FakeSite(const FakeSite&) = delete;
    FakeSite& operator=(const FakeSite&) = delete;

    bool Ok() const;           // false when the port could not be bound
    std::string Base() const;  // "http://127.0.0.1:PORT" or "https://..."; no trailing slash
    int Port() const;
    std::string Url(std::string_view target) const { return Base() + std::string(target); }

    // Serves `body` for the exact target as sent on the wire (path plus query). Thread-safe;
    // may be called while serving. A later registration for the same target replaces it.
    void Page(const std::string& target, std::string body,
              std::string contentType = "text/html; charset=utf-8");
    void Handle(const std::string& target, Handler handler);
    // Serves every target that starts with `prefix`; the exact match, then the longest prefix
    // wins. Unknown targets answer 404 with an empty body.
    void HandlePrefix(const std::string& prefix, Handler handler);

    std::vector<RecordedRequest> Requests() const;  // in arrival order
    std::vector<std::string> Targets() const;
    void ClearRequests();
    // Waits until at least `count` requests have been recorded; false at the deadline.
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds deadline) const;
    int Connections() const;  // TCP (or TLS) connections accepted so far

    // ---- Faults, each on one exact target ----
    // Answers `body` after `delay` (cut short when the site shuts down).
    void Delay(const std::string& target, std::chrono::milliseconds delay, std::string body);
    // Announces `declaredLength` bytes (chunked when 0), sends `firstPart`, then sends nothing
    // more until the site shuts down.
    void Stall(const std::string& target, std::string firstPart, std::size_t declaredLength = 0);
    // Sends the response head and then nothing, not even a first body byte.
    void StallBeforeBody(const std::string& target);
    void Status(const std::string& target, int status, std::string body = {});
    // Announces `declaredLength` bytes, sends `firstPart` and resets the connection (RST).
    void ResetMidBody(const std::string& target, std::string firstPart,
                      std::size_t declaredLength);
    // A chunked body that never ends, as fast as the client reads it.
    void Endless(const std::string& target);
    void Redirect(const std::string& target, const std::string& location, int status = 302);
    // Answers `body` with one "Set-Cookie" line per entry (the text after "Set-Cookie: ").
    void SetCookies(const std::string& target, std::vector<std::string> cookies,
                    std::string body = "ok");

    // For custom stalling handlers: waits until the site shuts down or `max` passes; true when
    // the site is shutting down.
    bool WaitStopping(std::chrono::milliseconds max) const;

    struct Impl;  // opaque; public only so the server classes inside fake_site.cpp can name it

private:
    std::unique_ptr<Impl> impl_;
};

// The self-signed certificate (subjectAltName IP:127.0.0.1 and DNS:localhost) that every HTTPS
// fake site presents, generated once per process with the openssl command. Point
// CURL_CA_BUNDLE at TestCaFile() to make the HTTP engine trust it. Empty on failure.
std::string TestCaFile();
std::string TestKeyFile();

}  // namespace fake
