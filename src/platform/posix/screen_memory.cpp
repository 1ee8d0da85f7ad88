// The in-memory console of the tests: the same screen processing as the
// terminal, with cells kept in memory instead of sent.
#include <algorithm>
#include <vector>

#include "platform/posix/memconsole.h"
#include "platform/posix/console_handles.h"

namespace {

struct Cell {
  wchar_t character;  // 0: the right half of a wide character
  WORD attribute;
};

class MemoryScreen : public Screen {
 public:
  Geometry size{80, 80, 25};
  int bells = 0;

  Cell At(SHORT column, SHORT row) const {
    if (row < 0 || row >= kBufferRows || column < 0) return {0, 0};
    const Row& line = rows_[static_cast<size_t>(row)];
    if (static_cast<size_t>(column) < line.cells.size()) return line.cells[static_cast<size_t>(column)];
    return {L' ', line.fill};
  }

 protected:
  Geometry Measure() override { return size; }

  void Put(COORD at, wchar_t character, int width) override {
    if (width == 0) return;  // a combining mark: a cell holds one character
    CellAt(at.X, at.Y) = {character, Attribute()};
    if (width == 2) CellAt(static_cast<SHORT>(at.X + 1), at.Y) = {0, Attribute()};
  }

  // The new bottom row is blank in the current attribute.
  void ScrollBuffer() override {
    rows_.erase(rows_.begin());
    rows_.push_back(Row{{}, Attribute()});
  }

  void Bell() override { ++bells; }

 private:
  struct Row {
    std::vector<Cell> cells;  // grows as cells are written
    WORD fill = kStartAttribute;
  };

  Cell& CellAt(SHORT column, SHORT row) {
    Row& line = rows_[static_cast<size_t>(row)];
    if (line.cells.size() <= static_cast<size_t>(column))
      line.cells.resize(static_cast<size_t>(column) + 1, Cell{L' ', line.fill});
    return line.cells[static_cast<size_t>(column)];
  }

  std::vector<Row> rows_ = std::vector<Row>(kBufferRows);
};

class MemoryInput : public ConsoleInput {
 public:
  MemoryInput() : ConsoleInput(-1) {}
  DWORD mode = ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT;
  std::string typedAhead;
  std::string pressed;

  BOOL GetMode(DWORD& current) override {
    current = mode;
    return TRUE;
  }
  BOOL SetMode(DWORD next) override {
    if ((next & ENABLE_ECHO_INPUT) && !(next & ENABLE_LINE_INPUT)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    mode = next;
    return TRUE;
  }
  BOOL Flush() override {
    typedAhead.clear();
    return TRUE;
  }
  BOOL ReadChars(char* buffer, DWORD size, DWORD& done) override {
    std::string& keys = typedAhead.empty() ? pressed : typedAhead;
    done = static_cast<DWORD>(std::min<size_t>(size, keys.size()));
    keys.copy(buffer, done);
    keys.erase(0, done);
    return TRUE;
  }
};

// A redirected standard handle: a byte sink on output, end of file on input.
struct ByteStream : StdHandle {
  ByteStream() : StdHandle(-1) {}
  std::string bytes;

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

}  // namespace

struct MemoryConsole::State : ConsoleSession {
  MemoryScreen screen;
  MemoryInput input;
  ConsoleOutput output{-1, screen};
  ConsoleOutput error{-1, screen};
  ByteStream inputStream;
  ByteStream outputStream;
  ByteStream errorStream;
  bool inputRedirected = false;
  bool outputRedirected = false;
  bool errorRedirected = false;
  bool bound = false;
  std::string title;

  PosixHandle* Std(DWORD which) override {
    if (which == STD_INPUT_HANDLE)
      return inputRedirected ? static_cast<PosixHandle*>(&inputStream) : &input;
    if (which == STD_OUTPUT_HANDLE)
      return outputRedirected ? static_cast<PosixHandle*>(&outputStream) : &output;
    return errorRedirected ? static_cast<PosixHandle*>(&errorStream) : &error;
  }
  DWORD GetTitle(char* buffer, DWORD size) override { return CopyTitle(title, buffer, size); }
  BOOL SetTitle(const char* text) override {
    title = text;
    return TRUE;
  }
  CONSOLE_SCREEN_BUFFER_INFO Info() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    screen.GetInfo(info);
    return info;
  }
};

MemoryConsole::MemoryConsole(SHORT columns, SHORT rows) : state_(new State) { Resize(columns, rows); }

MemoryConsole::~MemoryConsole() { Unbind(); }

void MemoryConsole::Bind() {
  BindSession(state_.get());
  state_->bound = true;
}

void MemoryConsole::Unbind() {
  if (state_->bound) BindSession(nullptr);
  state_->bound = false;
}

HANDLE MemoryConsole::Input() const { return ToHandle(state_->Std(STD_INPUT_HANDLE)); }
HANDLE MemoryConsole::Output() const { return ToHandle(state_->Std(STD_OUTPUT_HANDLE)); }
HANDLE MemoryConsole::Error() const { return ToHandle(state_->Std(STD_ERROR_HANDLE)); }

void MemoryConsole::RedirectInput() { state_->inputRedirected = true; }
void MemoryConsole::RedirectOutput() { state_->outputRedirected = true; }
void MemoryConsole::RedirectError() { state_->errorRedirected = true; }
const std::string& MemoryConsole::OutputBytes() const { return state_->outputStream.bytes; }
const std::string& MemoryConsole::ErrorBytes() const { return state_->errorStream.bytes; }

void MemoryConsole::Resize(SHORT columns, SHORT rows, SHORT bufferColumns) {
  state_->screen.size = {bufferColumns > 0 ? bufferColumns : columns, columns, rows};
}

std::wstring MemoryConsole::RowText(SHORT row) const {
  std::wstring text;
  const SHORT width = BufferSize().X;
  for (SHORT column = 0; column < width; ++column) {
    const wchar_t c = state_->screen.At(column, row).character;
    if (c != 0) text += c;
  }
  return text;
}

std::vector<WORD> MemoryConsole::RowAttributes(SHORT row) const {
  std::vector<WORD> attributes;
  const SHORT width = BufferSize().X;
  for (SHORT column = 0; column < width; ++column)
    attributes.push_back(state_->screen.At(column, row).attribute);
  return attributes;
}

wchar_t MemoryConsole::CharAt(SHORT column, SHORT row) const {
  return state_->screen.At(column, row).character;
}
WORD MemoryConsole::AttributeAt(SHORT column, SHORT row) const {
  return state_->screen.At(column, row).attribute;
}
COORD MemoryConsole::Cursor() const { return state_->Info().dwCursorPosition; }
WORD MemoryConsole::Attribute() const { return state_->Info().wAttributes; }
SMALL_RECT MemoryConsole::Window() const { return state_->Info().srWindow; }
COORD MemoryConsole::BufferSize() const { return state_->Info().dwSize; }
int MemoryConsole::Bells() const { return state_->screen.bells; }
std::string MemoryConsole::Title() const { return state_->title; }
void MemoryConsole::SetTitle(const std::string& title) { state_->title = title; }
DWORD MemoryConsole::InputMode() const { return state_->input.mode; }
DWORD MemoryConsole::OutputMode() const { return state_->screen.Mode(); }
void MemoryConsole::TypeAhead(const std::string& keys) { state_->input.typedAhead += keys; }
void MemoryConsole::PressKeys(const std::string& keys) { state_->input.pressed += keys; }
