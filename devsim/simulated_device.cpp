#include "devsim/simulated_device.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "devsim/event_log.h"
#include "hadrelusb/protocol.h"

namespace devsim {
namespace {

// More connections than this at once are refused, so that a runaway client cannot take every
// descriptor of the simulator.
constexpr std::size_t kMaxConnections = 64;

// Packets taken from one pipe in one round, so that one fast writer cannot starve the others.
constexpr int kPacketsPerRound = 16;

// Large enough for any packet the kernel lets a client send with a default send buffer; a
// larger one is still counted at its full length (MSG_TRUNC) and logged as oversize.
constexpr std::size_t kPacketBuffer = 256 * 1024;

void Answer(int fd, std::string_view answer) {
  ssize_t n;
  do {
    n = send(fd, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  } while (n < 0 && errno == EINTR);
  // A client that already gave up is no concern of the device.
}

// After recv() returned 0: true when the peer has closed, false when it sent an empty packet.
// The socket tells neither apart, so: no hang-up means a packet, and after a hang-up a packet
// still waiting means that this one was empty. Only empty packets just before the close are
// taken for the close itself; the library never sends empty packets.
bool PeerClosed(int fd) {
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, 0) <= 0 || (p.revents & (POLLHUP | POLLERR)) == 0) return false;
  int waiting = 0;
  return ioctl(fd, SIOCINQ, &waiting) != 0 || waiting == 0;
}

}  // namespace

SimulatedDevice::SimulatedDevice(const Options& options, int listenFd)
    : options_(options), listenFd_(listenFd), packet_(kPacketBuffer) {}

SimulatedDevice::~SimulatedDevice() {
  for (auto& c : connections_) {
    if (c->fd < 0) continue;
    if (c->isPipe)
      EndSession(*c);
    else
      Drop(*c);
  }
}

void SimulatedDevice::Run(int stopFd) {
  std::vector<pollfd> fds;
  std::vector<Connection*> polled;
  for (;;) {
    Clock::time_point now = Clock::now();
    ExpireTimers(now);
    connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                      [](const auto& c) { return c->fd < 0; }),
                       connections_.end());

    fds.assign({{stopFd, POLLIN, 0}, {listenFd_, POLLIN, 0}});
    polled.clear();
    for (auto& c : connections_) {
      // A pipe that is busy or throttled is left out of the poll, so that its queued packets
      // (or its hang-up) wait until the device takes packets again.
      if (c->isPipe && !WantsToRead(*c, now)) continue;
      fds.push_back({c->fd, POLLIN, 0});
      polled.push_back(c.get());
    }

    int ready = poll(fds.data(), fds.size(), PollTimeoutMs(now));
    if (ready < 0) {
      if (errno == EINTR) continue;
      LogEvent("poll failed: %s", std::strerror(errno));
      return;
    }
    if (fds[0].revents != 0) return;
    now = Clock::now();
    if (fds[1].revents != 0) AcceptAll(now);
    for (std::size_t i = 0; i < polled.size(); ++i) {
      Connection& c = *polled[i];
      if (fds[i + 2].revents == 0 || c.fd < 0) continue;  // closed meanwhile by an unplug
      if (c.isPipe)
        ReadPipe(c);
      else
        OnGreeting(c, now);
    }
  }
}

void SimulatedDevice::AcceptAll(Clock::time_point now) {
  for (;;) {
    int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) LogEvent("accept failed: %s", std::strerror(errno));
      return;
    }
    if (connections_.size() >= kMaxConnections) {
      LogEvent("connection refused: %zu connections already open", connections_.size());
      close(fd);
      continue;
    }
    auto c = std::make_unique<Connection>();
    c->fd = fd;
    c->greetingDeadline = now + std::chrono::milliseconds(hadrel::kGreetingTimeoutMs);
    connections_.push_back(std::move(c));
  }
}

// The first packet of a connection says what the client wants: a presence test, answered and
// closed at once, or a pipe session.
void SimulatedDevice::OnGreeting(Connection& c, Clock::time_point now) {
  char buffer[hadrel::kMaxControlPacket + 1];
  ssize_t n = recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) {  // the client went away before it said anything
    Drop(c);
    return;
  }
  std::string_view greeting(buffer, static_cast<std::size_t>(n));
  if (greeting == hadrel::kGreetingPresence) {
    // Logged before the answer, so that the line is there once the client has its answer.
    LogEvent("presence test: %s", unplugged_ ? "absent" : "present");
    Answer(c.fd, unplugged_ ? hadrel::kAnswerAbsent : hadrel::kAnswerPresent);
    Drop(c);
  } else if (greeting.substr(0, hadrel::kGreetingOpenPrefix.size()) == hadrel::kGreetingOpenPrefix) {
    std::string_view pipe = greeting.substr(hadrel::kGreetingOpenPrefix.size());
    if (unplugged_) {
      LogEvent("pipe refused: device unplugged");
      Answer(c.fd, hadrel::kAnswerAbsent);
      Drop(c);
    } else if (pipe != hadrel::kPipeName) {
      LogEvent("pipe refused: no pipe named \"%.*s\"", static_cast<int>(pipe.size()), pipe.data());
      Answer(c.fd, hadrel::kAnswerNoSuchPipe);
      Drop(c);
    } else {
      OpenPipe(c, now);
    }
  } else {
    LogEvent("protocol error: unknown greeting of %zd bytes", n);
    Drop(c);
  }
}

void SimulatedDevice::OpenPipe(Connection& c, Clock::time_point now) {
  c.isPipe = true;
  c.session = ++sessionCount_;
  c.nextRead = now;
  if (!options_.recordDir.empty()) {
    std::string error;
    if (!c.record.Open(options_.recordDir, c.session, &error))
      LogEvent("session %u record error: %s", c.session, error.c_str());
  }
  LogEvent("session %u opened", c.session);
  Answer(c.fd, hadrel::kAnswerOpened);
  CheckThresholds(c, now);
}

bool SimulatedDevice::WantsToRead(const Connection& c, Clock::time_point now) const {
  return !c.busy && c.nextRead <= now;
}

void SimulatedDevice::ReadPipe(Connection& c) {
  for (int round = 0; round < kPacketsPerRound && c.fd >= 0 && WantsToRead(c, Clock::now()); ++round) {
    ssize_t n = recv(c.fd, packet_.data(), packet_.size(), MSG_DONTWAIT | MSG_TRUNC);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) EndSession(c);  // connection reset
      return;
    }
    if (n == 0 && PeerClosed(c.fd)) {
      EndSession(c);
      return;
    }
    std::size_t length = static_cast<std::size_t>(n);
    OnPacket(c, length, std::min(length, packet_.size()));
  }
}

void SimulatedDevice::OnPacket(Connection& c, std::size_t length, std::size_t stored) {
  ++c.packets;
  c.bytes += length;
  if (c.packets == 1 && length != 20)
    LogEvent("session %u protocol error: first packet has %zu bytes, expected 20", c.session, length);
  if (length > options_.maxPacket)
    LogEvent("session %u protocol error: packet %llu has %zu bytes, more than %llu", c.session,
             static_cast<unsigned long long>(c.packets), length,
             static_cast<unsigned long long>(options_.maxPacket));
  if (c.record.IsOpen()) {
    std::string error;
    if (!c.record.Append(packet_.data(), stored, length, &error)) {
      LogEvent("session %u record error: %s", c.session, error.c_str());
      c.record.Close(nullptr);
    }
  }
  Clock::time_point now = Clock::now();
  if (options_.speedKiBPerSecond > 0) {
    // Each packet earns the device a pause of its length at the given speed; idle time is not
    // saved up, so the speed holds over every stretch of the session.
    double seconds = static_cast<double>(length) / (static_cast<double>(options_.speedKiBPerSecond) * 1024.0);
    c.nextRead = std::max(c.nextRead, now) +
                 std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  }
  CheckThresholds(c, now);
}

void SimulatedDevice::CheckThresholds(Connection& c, Clock::time_point now) {
  if (options_.unplugAfter && c.bytes >= *options_.unplugAfter) {
    LogEvent("session %u unplugged after %llu bytes", c.session, static_cast<unsigned long long>(c.bytes));
    Unplug();
    return;
  }
  if (options_.busyAfter && !c.busyDone && c.bytes >= *options_.busyAfter) {
    c.busyDone = true;
    c.busy = true;
    c.busyUntil = now + std::chrono::milliseconds(options_.busyMs);
    LogEvent("session %u busy for %llu ms after %llu bytes", c.session,
             static_cast<unsigned long long>(options_.busyMs), static_cast<unsigned long long>(c.bytes));
  }
}

// The device is gone: every pipe breaks, packets still queued are lost, and from now on presence
// tests answer absent and pipes are refused.
void SimulatedDevice::Unplug() {
  unplugged_ = true;
  for (auto& other : connections_)
    if (other->fd >= 0 && other->isPipe) EndSession(*other);
}

void SimulatedDevice::EndSession(Connection& c) {
  if (c.record.IsOpen()) {
    std::string error;
    if (!c.record.Close(&error)) LogEvent("session %u record error: %s", c.session, error.c_str());
  }
  Drop(c);
  // Logged last: once this line is out, the session's record is complete.
  LogEvent("session %u closed: %llu bytes in %llu packets", c.session,
           static_cast<unsigned long long>(c.bytes), static_cast<unsigned long long>(c.packets));
}

void SimulatedDevice::Drop(Connection& c) {
  if (c.fd >= 0) close(c.fd);
  c.fd = -1;
}

void SimulatedDevice::ExpireTimers(Clock::time_point now) {
  for (auto& c : connections_) {
    if (c->fd < 0) continue;
    if (c->isPipe) {
      if (c->busy && c->busyUntil <= now) {
        c->busy = false;
        LogEvent("session %u taking packets again", c->session);
      }
    } else if (c->greetingDeadline <= now) {
      LogEvent("protocol error: no greeting within %d ms", hadrel::kGreetingTimeoutMs);
      Drop(*c);
    }
  }
}

int SimulatedDevice::PollTimeoutMs(Clock::time_point now) const {
  Clock::time_point next = Clock::time_point::max();
  for (const auto& c : connections_) {
    if (c->fd < 0) continue;
    if (!c->isPipe)
      next = std::min(next, c->greetingDeadline);
    else if (c->busy)
      next = std::min(next, c->busyUntil);
    else if (c->nextRead > now)
      next = std::min(next, c->nextRead);
  }
  if (next == Clock::time_point::max()) return -1;
  if (next <= now) return 0;
  // Rounded up, so that the loop does not wake just before the moment and spin.
  auto ms = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
  return static_cast<int>(std::min<long long>(ms, 60 * 1000));
}

}  // namespace devsim
