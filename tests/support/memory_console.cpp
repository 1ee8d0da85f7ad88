// The in-memory console of the tests: the same screen processing as the
// terminal, with cells kept in memory instead of sent.
#include "console/ConOutputCalls.h"
#include "support/memory_console.h"

#include "support/memory_console_state.h"

MemoryCell MemoryScreen::At(SHORT column, SHORT row) const {
  if (row < 0 || row >= kBufferRows || column < 0) return {0, 0};
  const Row& line = rows_[static_cast<size_t>(row)];
  if (static_cast<size_t>(column) < line.cells.size()) return line.cells[static_cast<size_t>(column)];
  return {L' ', line.fill};
}

void MemoryScreen::Put(COORD at, wchar_t character, int width) {
  if (width == 0) return;  // a combining mark: a cell holds one character
  CellAt(at.X, at.Y) = {character, Attribute()};
  if (width == 2) CellAt(static_cast<SHORT>(at.X + 1), at.Y) = {0, Attribute()};
}

// The new bottom row is blank in the current attribute.
void MemoryScreen::ScrollBuffer() {
  rows_.erase(rows_.begin());
  rows_.push_back(Row{{}, Attribute()});
}

MemoryCell& MemoryScreen::CellAt(SHORT column, SHORT row) {
  Row& line = rows_[static_cast<size_t>(row)];
  if (line.cells.size() <= static_cast<size_t>(column))
    line.cells.resize(static_cast<size_t>(column) + 1, MemoryCell{L' ', line.fill});
  return line.cells[static_cast<size_t>(column)];
}

MemoryConsole::MemoryConsole(SHORT columns, SHORT rows) : state_(new State) {
  state_->seat = NewSeat(*state_);
  Resize(columns, rows);
}

MemoryConsole::~MemoryConsole() { Unbind(); }

void MemoryConsole::Bind() {
  Con::ForgetTargetModes();  // its handles are new to Con, whatever their values
  state_->seat->Bind(true);
  state_->bound = true;
}

void MemoryConsole::Unbind() {
  if (state_->bound) state_->seat->Bind(false);
  state_->bound = false;
  Con::ForgetTargetModes();
}

HANDLE MemoryConsole::Input() const { return state_->seat->Handle(STD_INPUT_HANDLE); }
HANDLE MemoryConsole::Output() const { return state_->seat->Handle(STD_OUTPUT_HANDLE); }
HANDLE MemoryConsole::Error() const { return state_->seat->Handle(STD_ERROR_HANDLE); }

void MemoryConsole::RedirectInput() { state_->inputRedirected = true; }
void MemoryConsole::RedirectOutput() { state_->outputRedirected = true; }
const std::string& MemoryConsole::OutputBytes() const { return state_->outputBytes; }

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
DWORD MemoryConsole::InputMode() const { return state_->inputMode; }
void MemoryConsole::TypeAhead(const std::string& keys) { state_->typedAhead += keys; }
void MemoryConsole::PressKeys(const std::string& keys) { state_->pressed += keys; }
