// The in-memory console on POSIX: its handles are the platform layer's own
// kinds of standard handle, and binding it makes it the console session, so
// every console call of the program reaches it as it would the terminal.
#include <algorithm>

#include "platform/posix/console_handles.h"
#include "support/memory_console_state.h"

namespace {

class MemoryInput : public ConsoleInput {
 public:
  explicit MemoryInput(MemoryConsole::State& state) : ConsoleInput(-1), state_(state) {}

  BOOL GetMode(DWORD& current) override {
    current = state_.inputMode;
    return TRUE;
  }
  BOOL SetMode(DWORD next) override {
    if ((next & ENABLE_ECHO_INPUT) && !(next & ENABLE_LINE_INPUT)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    state_.inputMode = next;
    return TRUE;
  }
  BOOL Flush() override {
    state_.typedAhead.clear();
    return TRUE;
  }
  BOOL ReadChars(char* buffer, DWORD size, DWORD& done) override {
    std::string& keys = state_.typedAhead.empty() ? state_.pressed : state_.typedAhead;
    done = static_cast<DWORD>(std::min<size_t>(size, keys.size()));
    keys.copy(buffer, done);
    keys.erase(0, done);
    return TRUE;
  }

 private:
  MemoryConsole::State& state_;
};

// A redirected standard handle: a byte sink on output, end of file on input.
struct ByteStream : StdHandle {
  explicit ByteStream(std::string& sink) : StdHandle(-1), bytes(sink) {}
  std::string& bytes;

  BOOL Read(void*, DWORD, DWORD* done) override {
    if (done) *done = 0;
    return Open() ? TRUE : FALSE;
  }
  BOOL Write(const void* buffer, DWORD size, DWORD* done) override {
    if (done) *done = 0;
    if (!Open()) return FALSE;
    bytes.append(static_cast<const char*>(buffer), size);
    if (done) *done = size;
    return TRUE;
  }
};

struct PosixSeat : MemoryConsole::Seat, ConsoleSession {
  explicit PosixSeat(MemoryConsole::State& console) : state(console) {}
  MemoryConsole::State& state;
  MemoryInput input{state};
  ConsoleOutput output{-1, state.screen};
  ConsoleOutput error{-1, state.screen};
  std::string neverWritten;
  ByteStream inputStream{neverWritten};
  ByteStream outputStream{state.outputBytes};

  PosixHandle* Std(DWORD which) override {
    if (which == STD_INPUT_HANDLE)
      return state.inputRedirected ? static_cast<PosixHandle*>(&inputStream) : &input;
    if (which == STD_OUTPUT_HANDLE)
      return state.outputRedirected ? static_cast<PosixHandle*>(&outputStream) : &output;
    return &error;
  }
  HANDLE Handle(DWORD which) override { return ToHandle(Std(which)); }
  DWORD GetTitle(char* buffer, DWORD size) override { return CopyTitle(state.title, buffer, size); }
  BOOL SetTitle(const char* text) override {
    state.title = text;
    return TRUE;
  }
  void Bind(bool bound) override { BindSession(bound ? this : nullptr); }
};

}  // namespace

std::unique_ptr<MemoryConsole::Seat> MemoryConsole::NewSeat(State& state) {
  return std::unique_ptr<Seat>(new PosixSeat(state));
}
