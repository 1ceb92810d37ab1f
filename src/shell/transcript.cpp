#include "shell/transcript.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace torvic::shell {

namespace {

// Past this the buffer is written out whatever the line ends say.
constexpr size_t kBufferLimit = 64 * 1024;

}  // namespace

Transcript::Transcript(int fd, platform::Clock& clock)
    : fd_(fd), clock_(clock), lastWrite_(clock.TickCount() - 1) {
  buffer_.reserve(kBufferLimit);
}

Transcript::~Transcript() { Flush(); }

void Transcript::Echo(const uint8_t* bytes, size_t count) {
  if (failed_) return;
  const char* p = reinterpret_cast<const char*>(bytes);
  const char* const end = p + count;
  bool lineEnd = false;
  while (p < end) {
    const auto* cr = static_cast<const char*>(std::memchr(p, 13, static_cast<size_t>(end - p)));
    if (!cr) {
      buffer_.append(p, end);
      break;
    }
    buffer_.append(p, cr);
    buffer_.push_back('\n');
    lineEnd = true;
    p = cr + 1;
  }
  if (lineEnd) LineEnded();
  else if (buffer_.size() >= kBufferLimit) Flush();
}

void Transcript::Write(std::string_view bytes) {
  if (failed_) return;
  buffer_.append(bytes);
  if (buffer_.size() >= kBufferLimit) Flush();
}

void Transcript::LineEnded() {
  if (clock_.TickCount() != lastWrite_ || buffer_.size() >= kBufferLimit) Flush();
  else lineWaiting_ = true;
}

bool Transcript::Flush() {
  lineWaiting_ = false;
  if (failed_) return false;
  size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // Standard output was handed over non-blocking: wait until it drains.
      pollfd p{fd_, POLLOUT, 0};
      ::poll(&p, 1, -1);
      continue;
    }
    const int error = n < 0 ? errno : EIO;
    failed_ = true;
    buffer_.clear();
    // A reader that went away needs no explanation (with SIGPIPE at its
    // default the process never gets here).
    if (error != EPIPE)
      std::fprintf(stderr, "torvic: cannot write standard output: %s\n", std::strerror(error));
    return false;
  }
  buffer_.clear();
  lastWrite_ = clock_.TickCount();
  return true;
}

}  // namespace torvic::shell
