#include "support/fake_site.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "support/temp_dir.h"

extern char** environ;

namespace fake {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How often blocked server threads look at the shutdown flag.
constexpr milliseconds kPollSlice{20};
constexpr milliseconds kKeepAliveIdle{5000};
constexpr milliseconds kIoTimeout{5000};
constexpr std::size_t kKeepAliveMax = 100000;

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string TrimBlanks(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}

// One accepted connection, plain or TLS, as a stream for httplib's request parser. Every byte
// handed to the parser is kept, so the request head can be recorded exactly as it arrived.
class Connection final : public httplib::Stream {
public:
    Connection(int fd, SSL* ssl, const std::atomic<bool>& stopping)
        : fd_(fd), ssl_(ssl), stopping_(stopping) {}

    bool is_readable() const override {
        return pos_ < len_ || (ssl_ && SSL_pending(ssl_) > 0) || WaitFor(POLLIN, kIoTimeout);
    }
    bool is_writable() const override {
        return !stopping_.load() && WaitFor(POLLOUT, kIoTimeout);
    }

    ssize_t read(char* ptr, size_t size) override {
        if (pos_ == len_) {
            ssize_t n = Fill();
            if (n <= 0) return n;
        }
        size_t n = std::min(size, len_ - pos_);
        std::copy(buf_ + pos_, buf_ + pos_ + n, ptr);
        taken_.append(buf_ + pos_, n);
        pos_ += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        size_t done = 0;
        while (done < size) {
            if (stopping_.load()) return -1;
            ssize_t n;
            if (ssl_) {
                n = SSL_write(ssl_, ptr + done, static_cast<int>(size - done));
                if (n <= 0) {
                    int err = SSL_get_error(ssl_, static_cast<int>(n));
                    if (!Retry(err, kIoTimeout)) return -1;
                    continue;
                }
            } else {
                n = ::send(fd_, ptr + done, size - done, MSG_NOSIGNAL);
                if (n < 0) {
                    if ((errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) ||
                        !WaitFor(POLLOUT, kIoTimeout))
                        return -1;
                    continue;
                }
            }
            done += static_cast<size_t>(n);
        }
        return static_cast<ssize_t>(size);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        Address(false, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        Address(true, ip, port);
    }
    socket_t socket() const override { return fd_; }

    // Waits for the first byte of a next request; false when the client went quiet or left,
    // or the site shuts down.
    bool WaitRequest() const {
        return pos_ < len_ || (ssl_ && SSL_pending(ssl_) > 0) || WaitFor(POLLIN, kKeepAliveIdle);
    }

    bool Handshake() {
        while (!stopping_.load()) {
            int r = SSL_accept(ssl_);
            if (r == 1) return true;
            if (!Retry(SSL_get_error(ssl_, r), kIoTimeout)) return false;
        }
        return false;
    }

    std::string TakeHead() {
        std::string head;
        head.swap(taken_);
        return head;
    }
    void ForgetTaken() { taken_.clear(); }

    bool resetOnClose = false;
    std::string head;  // request line and header lines of the request in hand

private:
    ssize_t Fill() {
        pos_ = len_ = 0;
        for (;;) {
            if (stopping_.load()) return -1;
            ssize_t n;
            if (ssl_) {
                n = SSL_read(ssl_, buf_, sizeof buf_);
                if (n <= 0) {
                    int err = SSL_get_error(ssl_, static_cast<int>(n));
                    if (err == SSL_ERROR_ZERO_RETURN) return 0;
                    if (!Retry(err, kIoTimeout)) return -1;
                    continue;
                }
            } else {
                n = ::recv(fd_, buf_, sizeof buf_, 0);
                if (n < 0) {
                    if ((errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) ||
                        !WaitFor(POLLIN, kIoTimeout))
                        return -1;
                    continue;
                }
                if (n == 0) return 0;
            }
            len_ = static_cast<size_t>(n);
            return n;
        }
    }

    bool Retry(int sslError, milliseconds timeout) const {
        if (sslError == SSL_ERROR_WANT_READ) return WaitFor(POLLIN, timeout);
        if (sslError == SSL_ERROR_WANT_WRITE) return WaitFor(POLLOUT, timeout);
        return false;
    }

    // Polls in short slices so that a shutting-down site never waits out a whole time-out.
    bool WaitFor(short events, milliseconds timeout) const {
        auto deadline = Clock::now() + timeout;
        while (!stopping_.load()) {
            pollfd p{fd_, events, 0};
            int r = ::poll(&p, 1, static_cast<int>(kPollSlice.count()));
            if (r > 0) return true;
            if (r < 0 && errno != EINTR) return false;
            if (Clock::now() >= deadline) return false;
        }
        return false;
    }

    void Address(bool local, std::string& ip, int& port) const {
        sockaddr_in a{};
        socklen_t len = sizeof a;
        int r = local ? getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len)
                      : getpeername(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        if (r != 0) return;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
        ip = text;
        port = ntohs(a.sin_port);
    }

    int fd_;
    SSL* ssl_;
    const std::atomic<bool>& stopping_;
    char buf_[16384];
    size_t pos_ = 0, len_ = 0;
    std::string taken_;
};

// The connection the calling server thread is serving; fault handlers reach it through this.
thread_local Connection* tConnection = nullptr;

RecordedRequest ParseHead(const std::string& head) {
    RecordedRequest r;
    std::size_t lineEnd = head.find("\r\n");
    std::string_view requestLine(head.data(), lineEnd == std::string::npos ? head.size() : lineEnd);
    std::size_t s1 = requestLine.find(' ');
    std::size_t s2 = requestLine.rfind(' ');
    if (s1 != std::string_view::npos && s2 != s1) {
        r.method = std::string(requestLine.substr(0, s1));
        r.target = std::string(requestLine.substr(s1 + 1, s2 - s1 - 1));
        r.version = std::string(requestLine.substr(s2 + 1));
    }
    std::size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
    while (pos < head.size()) {
        std::size_t end = head.find("\r\n", pos);
        if (end == std::string::npos) end = head.size();
        std::string_view line(head.data() + pos, end - pos);
        pos = end + 2;
        if (line.empty()) break;
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            r.headers.emplace_back(std::string(line), std::string());
        } else {
            r.headers.emplace_back(std::string(line.substr(0, colon)),
                                   TrimBlanks(line.substr(colon + 1)));
        }
    }
    return r;
}

// httplib reads a body only for the methods that usually carry one; a GET or HEAD with a
// body would otherwise be read as the start of the next request.
void ReadUnexpectedBody(httplib::Stream& strm, httplib::Request& req) {
    if (req.method != "GET" && req.method != "HEAD" && req.method != "OPTIONS") return;
    std::size_t length = std::strtoull(req.get_header_value("Content-Length").c_str(), nullptr, 10);
    char buf[4096];
    while (req.body.size() < length) {
        ssize_t n = strm.read(buf, std::min(sizeof buf, length - req.body.size()));
        if (n <= 0) break;
        req.body.append(buf, static_cast<std::size_t>(n));
    }
}

}  // namespace

std::string RecordedRequest::Header(std::string_view name) const {
    for (const auto& [n, v] : headers)
        if (EqualNoCase(n, name)) return v;
    return {};
}

std::vector<std::string> RecordedRequest::HeaderLines() const {
    std::vector<std::string> lines;
    for (const auto& [n, v] : headers) lines.push_back(n + ": " + v);
    return lines;
}

struct FakeSite::Impl {
    bool https = false;
    int port = -1;
    std::atomic<bool> stopping{false};
    std::atomic<int> connections{0};

    mutable std::mutex mutex;  // guards routes, prefixes and requests
    mutable std::condition_variable changed;
    std::map<std::string, std::shared_ptr<const Handler>> routes;
    std::map<std::string, std::shared_ptr<const Handler>> prefixes;
    std::vector<RecordedRequest> requests;

    std::unique_ptr<httplib::Server> server;
    std::thread listener;

    std::shared_ptr<const Handler> Find(const std::string& target) const {
        std::lock_guard lock(mutex);
        if (auto it = routes.find(target); it != routes.end()) return it->second;
        std::shared_ptr<const Handler> best;
        std::size_t bestLength = 0;
        for (const auto& [prefix, handler] : prefixes) {
            if (target.compare(0, prefix.size(), prefix) == 0 &&
                (!best || prefix.size() > bestLength)) {
                best = handler;
                bestLength = prefix.size();
            }
        }
        return best;
    }

    void Dispatch(const httplib::Request& req, httplib::Response& res) {
        RecordedRequest record = ParseHead(tConnection ? tConnection->head : std::string());
        if (record.method.empty()) {
            record.method = req.method;
            record.target = req.target;
            record.version = req.version;
        }
        record.body = req.body;
        std::string target = record.target;
        {
            std::lock_guard lock(mutex);
            requests.push_back(std::move(record));
        }
        changed.notify_all();
        if (auto handler = Find(target)) {
            (*handler)(req, res);
        } else {
            res.status = 404;
        }
    }

    // Serves one accepted socket until the client leaves, a request fails or the site stops.
    template <typename ProcessRequest>
    void Serve(int fd, SSL_CTX* tls, ProcessRequest&& process) {
        connections.fetch_add(1);
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
        SSL* ssl = nullptr;
        if (tls) {
            ssl = SSL_new(tls);
            SSL_set_fd(ssl, fd);
        }
        Connection conn(fd, ssl, stopping);
        bool ok = !ssl || conn.Handshake();
        for (std::size_t count = kKeepAliveMax; ok && count > 0 && !stopping.load(); --count) {
            if (!conn.WaitRequest()) break;
            bool closed = false;
            tConnection = &conn;
            ok = process(conn, count == 1, closed, [&conn](httplib::Request& req) {
                conn.head = conn.TakeHead();
                ReadUnexpectedBody(conn, req);
            });
            tConnection = nullptr;
            conn.ForgetTaken();
            if (closed) break;
        }
        if (conn.resetOnClose) {
            linger hard{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        } else if (ssl && ok) {
            SSL_shutdown(ssl);
        }
        if (ssl) SSL_free(ssl);
        if (!conn.resetOnClose) ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    }
};

namespace {

template <typename Base>
class RecordingServer final : public Base {
public:
    template <typename... Args>
    RecordingServer(FakeSite::Impl& site, SSL_CTX* (*tls)(RecordingServer&), Args&&... args)
        : Base(std::forward<Args>(args)...), site_(site), tls_(tls) {}

private:
    bool process_and_close_socket(socket_t sock) override {
        site_.Serve(sock, tls_ ? tls_(*this) : nullptr,
                    [this](httplib::Stream& strm, bool close, bool& closed,
                           const std::function<void(httplib::Request&)>& setup) {
                        return this->process_request(strm, close, closed, setup);
                    });
        return true;
    }

    FakeSite::Impl& site_;
    SSL_CTX* (*tls_)(RecordingServer&);
};

using PlainServer = RecordingServer<httplib::Server>;
using TlsServer = RecordingServer<httplib::SSLServer>;

void IgnoreSigpipeOnce() {
    // A client that hangs up mid-body must not kill the test process through a TLS write.
    static std::once_flag once;
    std::call_once(once, [] { signal(SIGPIPE, SIG_IGN); });
}

int RunQuietly(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct TestCert {
    TempDir dir;
    std::string cert, key;
    TestCert() {
        std::string c = dir.File("ca.pem"), k = dir.File("key.pem");
        int rc = RunQuietly({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                             "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", k, "-out", c,
                             "-days", "2", "-subj", "/CN=localhost", "-addext",
                             "subjectAltName=IP:127.0.0.1,DNS:localhost"});
        if (rc == 0 && dir.Has("ca.pem") && dir.Has("key.pem")) {
            cert = c;
            key = k;
        }
    }
};

const TestCert& Cert() {
    static TestCert cert;  // thread-safe initialisation, removed at exit
    return cert;
}

}  // namespace

std::string TestCaFile() { return Cert().cert; }
std::string TestKeyFile() { return Cert().key; }

FakeSite::FakeSite(bool https, int port) : impl_(std::make_unique<Impl>()) {
    IgnoreSigpipeOnce();
    impl_->https = https;
    if (https) {
        impl_->server = std::make_unique<TlsServer>(
            *impl_, [](TlsServer& s) { return s.ssl_context(); }, TestCaFile().c_str(),
            TestKeyFile().c_str());
    } else {
        impl_->server = std::make_unique<PlainServer>(*impl_, nullptr);
    }
    auto& server = *impl_->server;
    if (!server.is_valid()) return;
    // Kept-alive connections each hold a server thread.
    server.new_task_queue = [] { return new httplib::ThreadPool(32); };
    server.set_payload_max_length(std::size_t{1} << 30);
    server.set_keep_alive_max_count(kKeepAliveMax);
    auto dispatch = [impl = impl_.get()](const httplib::Request& req, httplib::Response& res) {
        impl->Dispatch(req, res);
    };
    const std::string any = "[\\s\\S]*";
    server.Get(any, dispatch);
    server.Post(any, dispatch);
    server.Put(any, dispatch);
    server.Delete(any, dispatch);
    server.Options(any, dispatch);
    server.Patch(any, dispatch);
    // Bodies are read here rather than by httplib, which answers 413 to a form body over 8 KB.
    auto readBody = [impl = impl_.get()](const httplib::Request& req, httplib::Response& res,
                                         const httplib::ContentReader& reader) {
        httplib::Request whole = req;
        whole.body.clear();
        reader([&whole](const char* data, std::size_t length) {
            whole.body.append(data, length);
            return true;
        });
        impl->Dispatch(whole, res);
    };
    server.Post(any, readBody);
    server.Put(any, readBody);
    server.Patch(any, readBody);
    server.Delete(any, readBody);

    if (port == 0) {
        impl_->port = server.bind_to_any_port("127.0.0.1");
    } else {
        impl_->port = server.bind_to_port("127.0.0.1", port) ? port : -1;
    }
    if (impl_->port <= 0) {
        impl_->port = -1;
        return;
    }
    impl_->listener = std::thread([&server] { server.listen_after_bind(); });
    // stop() only acts on a running server, so do not hand the site out before it runs.
    while (!server.is_running()) std::this_thread::yield();
}

FakeSite::~FakeSite() {
    impl_->stopping.store(true);
    {
        std::lock_guard lock(impl_->mutex);
    }
    impl_->changed.notify_all();
    if (impl_->listener.joinable()) {
        impl_->server->stop();
        impl_->listener.join();
    }
}

bool FakeSite::Ok() const { return impl_->port > 0; }

std::string FakeSite::Base() const {
    return std::string(impl_->https ? "https" : "http") + "://127.0.0.1:" +
           std::to_string(impl_->port);
}

int FakeSite::Port() const { return impl_->port; }

void FakeSite::Page(const std::string& target, std::string body, std::string contentType) {
    Handle(target, [body = std::move(body), contentType = std::move(contentType)](
                       const httplib::Request&, httplib::Response& res) {
        res.set_content(body, contentType);
    });
}

void FakeSite::Handle(const std::string& target, Handler handler) {
    std::lock_guard lock(impl_->mutex);
    impl_->routes[target] = std::make_shared<const Handler>(std::move(handler));
}

void FakeSite::HandlePrefix(const std::string& prefix, Handler handler) {
    std::lock_guard lock(impl_->mutex);
    impl_->prefixes[prefix] = std::make_shared<const Handler>(std::move(handler));
}

std::vector<RecordedRequest> FakeSite::Requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->requests;
}

std::vector<std::string> FakeSite::Targets() const {
    std::lock_guard lock(impl_->mutex);
    std::vector<std::string> targets;
    for (const auto& r : impl_->requests) targets.push_back(r.target);
    return targets;
}

void FakeSite::ClearRequests() {
    std::lock_guard lock(impl_->mutex);
    impl_->requests.clear();
}

bool FakeSite::WaitForRequests(std::size_t count, std::chrono::milliseconds deadline) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, deadline,
                                   [&] { return impl_->requests.size() >= count; });
}

int FakeSite::Connections() const { return impl_->connections.load(); }

bool FakeSite::WaitStopping(std::chrono::milliseconds max) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, max, [&] { return impl_->stopping.load(); });
}

void FakeSite::Delay(const std::string& target, std::chrono::milliseconds delay,
                     std::string body) {
    Handle(target, [this, delay, body = std::move(body)](const httplib::Request&,
                                                          httplib::Response& res) {
        if (WaitStopping(delay)) {
            res.status = 503;
            return;
        }
        res.set_content(body, "text/html; charset=utf-8");
    });
}

void FakeSite::Stall(const std::string& target, std::string firstPart,
                     std::size_t declaredLength) {
    Handle(target, [this, firstPart = std::move(firstPart), declaredLength](
                       const httplib::Request&, httplib::Response& res) {
        auto provider = [this, firstPart](std::size_t offset, httplib::DataSink& sink) {
            if (offset == 0 && !firstPart.empty()) sink.write(firstPart.data(), firstPart.size());
            WaitStopping(std::chrono::hours(1));
            return false;
        };
        if (declaredLength == 0) {
            res.set_chunked_content_provider("text/html", provider);
        } else {
            res.set_content_provider(
                declaredLength, "text/html",
                [provider](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    return provider(offset, sink);
                });
        }
    });
}

void FakeSite::StallBeforeBody(const std::string& target) { Stall(target, {}, 1000); }

void FakeSite::Status(const std::string& target, int status, std::string body) {
    Handle(target, [status, body = std::move(body)](const httplib::Request&,
                                                     httplib::Response& res) {
        res.status = status;
        res.set_content(body, "text/html; charset=utf-8");
    });
}

void FakeSite::ResetMidBody(const std::string& target, std::string firstPart,
                            std::size_t declaredLength) {
    Handle(target, [firstPart = std::move(firstPart), declaredLength](const httplib::Request&,
                                                                      httplib::Response& res) {
        res.set_content_provider(
            declaredLength, "text/html",
            [firstPart](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset == 0) sink.write(firstPart.data(), firstPart.size());
                if (tConnection) tConnection->resetOnClose = true;
                return false;
            });
    });
}

void FakeSite::Endless(const std::string& target) {
    Handle(target, [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/html", [](std::size_t, httplib::DataSink& sink) {
            static const std::string block(64 * 1024, 'x');
            return sink.write(block.data(), block.size());
        });
    });
}

void FakeSite::Redirect(const std::string& target, const std::string& location, int status) {
    Handle(target, [location, status](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(location, status);
    });
}

void FakeSite::SetCookies(const std::string& target, std::vector<std::string> cookies,
                          std::string body) {
    Handle(target, [cookies = std::move(cookies), body = std::move(body)](
                       const httplib::Request&, httplib::Response& res) {
        for (const auto& c : cookies) res.headers.emplace("Set-Cookie", c);
        res.set_content(body, "text/html; charset=utf-8");
    });
}

}  // namespace fake
