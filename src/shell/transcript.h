// The transcript of a batch session: the console's echo stream on standard
// output, each carriage return written as a line feed.
//
// Written out at every line end, so a reader of the pipe (or of the file
// after the process was killed) has every finished line: a line end is
// written at once unless the transcript was already written within the same
// millisecond of the clock; then it waits for the batch host's next look at
// the input, at most about a millisecond later (FlushWaitingLine). That
// keeps a program printing thousands of short lines from paying a system
// call for each one. Everything buffered is also written before the session
// waits for anything, and at its end, including the end a terminating
// signal brings.
//
// Standard output that cannot be written ends the session: the first
// failed write gives a message on standard error (a closed pipe ends
// quietly, as Unix tools do), everything after it is dropped, and the batch
// mode ends with a non-zero status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "console/screen.h"
#include "platform/host.h"

namespace torvic::shell {

class Transcript final : public EchoSink {
 public:
  Transcript(int fd, platform::Clock& clock);
  ~Transcript() override;

  // The echo stream: CR becomes LF, a line end is written out (paced).
  void Echo(const uint8_t* bytes, size_t count) override;
  // Bytes as they stand (the --screen dump), written at the next flush.
  void Write(std::string_view bytes);
  // The batch host's look: a line end that waited for its millisecond.
  void FlushWaitingLine() {
    if (lineWaiting_) Flush();
  }
  // Writes everything buffered; false once standard output has failed.
  bool Flush();
  bool Failed() const { return failed_; }

 private:
  void LineEnded();

  int fd_;
  platform::Clock& clock_;
  std::string buffer_;
  uint32_t lastWrite_;  // the millisecond of the last write
  bool lineWaiting_ = false;
  bool failed_ = false;
};

}  // namespace torvic::shell
