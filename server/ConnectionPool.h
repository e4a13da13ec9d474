// The connections a store keeps for its threads: a lease takes an idle one or opens a new one
// and gives it back when done; one left by an exception (it failed) is closed instead, and the
// next lease opens a new one, so that a store comes back by itself once its database does.
#pragma once

#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace zarq::scoreboard {

// `Connection` is made from the database's address.
template <typename Connection>
class ConnectionPool {
  public:
    explicit ConnectionPool(std::string address) : address_(std::move(address)) {}

    class Lease {
      public:
        explicit Lease(ConnectionPool& pool) : pool_(pool) {
            {
                std::lock_guard lock(pool_.mutex_);
                if (!pool_.idle_.empty()) {
                    c_ = std::move(pool_.idle_.back());
                    pool_.idle_.pop_back();
                }
            }
            if (!c_) c_ = std::make_unique<Connection>(pool_.address_);
            failures_ = std::uncaught_exceptions();
        }
        ~Lease() {
            if (std::uncaught_exceptions() > failures_) return;  // closed with the failure
            std::lock_guard lock(pool_.mutex_);
            pool_.idle_.push_back(std::move(c_));
        }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Connection* operator->() { return c_.get(); }
        Connection& operator*() { return *c_; }

      private:
        ConnectionPool& pool_;
        std::unique_ptr<Connection> c_;
        int failures_ = 0;
    };

  private:
    std::string address_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Connection>> idle_;
};

}  // namespace zarq::scoreboard
