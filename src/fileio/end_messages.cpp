// What the user is told when another program changed a file while the copy
// ran: the destination is then no copy of the source, whatever its bytes.
#include "fileio/message_text.h"
#include "fileio/messages.h"

namespace modFileIO {

void SaySourceShrank(int64_t atStart, int64_t now, int64_t copied) {
  EngineLine(L"The source got shorter during the copy");
  EngineLine(L"It had " + Grouped(atStart) + L" bytes when the copy began and has " +
             Grouped(now) + L" now, while " + Grouped(copied) +
             L" bytes were written: the destination is no copy of it. Once nothing changes the "
             L"source, " + StartOverAdvice);
}

void SaySourceChanged(bool written, int64_t copied, int64_t now) {
  EngineLine(L"Another program changed the source during the copy");
  if (written)
    EngineLine(L"Its last-write time moved while it was read, so the destination may hold some of "
               L"its old bytes: it is no copy of the source as it is now.");
  else
    EngineLine(L"It has " + Grouped(now) + L" bytes now, while " + Grouped(copied) +
               L" bytes were copied: the destination is no copy of it.");
  EngineLine(L"Once nothing changes the source, " + std::wstring(StartOverAdvice));
}

void SayDestinationResized(int64_t copied, int64_t now) {
  EngineLine(L"Another program changed the destination during the copy");
  EngineLine(L"It has " + Grouped(now) + L" bytes now, while " + Grouped(copied) +
             L" bytes were written to it: it is no copy of the source. Once nothing else writes "
             L"the destination, " + StartOverAdvice);
}

void SayDestinationCut(int64_t holeStart, int64_t holeEnd) {
  EngineLine(L"Another program changed the destination during the copy");
  EngineLine(L"It holds no data from byte " + Grouped(holeStart) + L" to byte " + Grouped(holeEnd) +
             L", where the source has some: it was cut short while the copy ran, and the "
             L"copy's next write extended it again. Once nothing else writes the destination, " +
             StartOverAdvice);
}

}  // namespace modFileIO
