// Helpers for driving the network layer in a worker thread of its own, as the
// crawl does: a thread with an event loop, a resolver the test controls, and
// bounded waits for results.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "net/WSocket.h"

namespace trawlonix::nettest {

// A QThread running its own event loop; objects created through Run() live
// there and are deleted there when the harness ends.
class WorkerThread {
 public:
  WorkerThread() {
    thread_.start();
    ctx_ = new QObject;
    ctx_->moveToThread(&thread_);
  }
  ~WorkerThread() {
    Run([this] { delete ctx_; });
    thread_.quit();
    thread_.wait(10000);
  }
  // Runs `f` in the worker thread and waits for it.
  void Run(const std::function<void()>& f) {
    QMetaObject::invokeMethod(ctx_, f, Qt::BlockingQueuedConnection);
  }
  // Parent for objects that must live in the worker.
  QObject* Context() const { return ctx_; }

 private:
  QThread thread_;
  QObject* ctx_ = nullptr;
};

// A flag (with a counter) set in the worker and awaited in the test thread.
class Signal {
 public:
  void Notify() {
    std::lock_guard<std::mutex> lock(m_);
    ++count_;
    cv_.notify_all();
  }
  // Waits until at least `n` notifications arrived; false after `ms`.
  bool WaitFor(int n, int ms = 10000) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return count_ >= n; });
  }
  int Count() {
    std::lock_guard<std::mutex> lock(m_);
    return count_;
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  int count_ = 0;
};

// Resolver with answers set by the test; unknown names fail with 11001.
// Answers arrive from the event loop, after `delayMs`; "hang" never answers.
class FakeResolver : public THostResolver {
 public:
  void Set(const std::string& host, const std::string& address) { answers_[host] = address; }
  int delayMs = 0;

  int Start(const std::string& host, QObject* context, Done done, std::uint16_t& error) override {
    error = 0;
    std::lock_guard<std::mutex> lock(m_);
    int id = ++next_;
    started_.push_back(host);
    if (host == "hang") return id;
    auto it = answers_.find(host);
    std::string address = it == answers_.end() ? std::string() : it->second;
    std::uint16_t err = it == answers_.end() ? wsaHOST_NOT_FOUND : 0;
    QTimer::singleShot(delayMs, context, [this, id, err, address, done] {
      {
        std::lock_guard<std::mutex> lock(m_);
        if (cancelled_.count(id)) return;
      }
      done(err, address);
    });
    return id;
  }
  void Cancel(int id) override {
    std::lock_guard<std::mutex> lock(m_);
    cancelled_.insert(id);
  }
  std::vector<std::string> Started() {
    std::lock_guard<std::mutex> lock(m_);
    return started_;
  }

 private:
  std::mutex m_;
  std::map<std::string, std::string> answers_;
  std::set<int> cancelled_;
  std::vector<std::string> started_;
  int next_ = 0;
};

// Installs a fake resolver for the lifetime of the guard.
class ResolverGuard {
 public:
  ResolverGuard() : fake(std::make_shared<FakeResolver>()) { SetDefaultResolver(fake); }
  ~ResolverGuard() { SetDefaultResolver(nullptr); }
  std::shared_ptr<FakeResolver> fake;
};

// What the test server generates for "body_size".
inline std::string Generated(std::size_t n) {
  static const char kPattern[] = "0123456789abcdef";
  std::string s;
  for (std::size_t i = 0; i < n; ++i)
    s += kPattern[i % 16];
  return s;
}

}  // namespace trawlonix::nettest
