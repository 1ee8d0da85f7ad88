// Threads on pthreads, with Win32's handle semantics: the handle can be
// waited on, and closing it neither stops nor waits for the thread.
#include <cerrno>
#include <ctime>
#include <pthread.h>

#include "platform/posix/handle.h"

namespace {

struct Start {
  LPTHREAD_START_ROUTINE Routine;
  LPVOID Parameter;
};

struct ThreadHandle : PosixHandle {
  pthread_t Thread{};
  bool Joined = false;
  BOOL Close() override {
    if (!Joined) pthread_detach(Thread);
    delete this;
    return TRUE;
  }
};

void* Run(void* start) {
  const Start copy = *static_cast<Start*>(start);
  delete static_cast<Start*>(start);
  copy.Routine(copy.Parameter);
  return nullptr;
}

}  // namespace

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress,
                           LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId) {
  // Suspended creation is not part of the layer.
  if (!lpStartAddress || dwCreationFlags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ThreadHandle* handle = new ThreadHandle;
  Start* start = new Start{lpStartAddress, lpParameter};
  const int error = pthread_create(&handle->Thread, nullptr, Run, start);
  if (error != 0) {
    delete start;
    delete handle;
    SetLastErrorFromErrno(error);
    return nullptr;
  }
  if (lpThreadId) *lpThreadId = static_cast<DWORD>(reinterpret_cast<uintptr_t>(handle));
  return ToHandle(handle);
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  ThreadHandle* thread = dynamic_cast<ThreadHandle*>(FromHandle(hHandle));
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  if (thread->Joined) return WAIT_OBJECT_0;
  int error;
  if (dwMilliseconds == INFINITE) {
    error = pthread_join(thread->Thread, nullptr);
  } else {
    timespec until{};
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_sec += dwMilliseconds / 1000;
    until.tv_nsec += static_cast<long>(dwMilliseconds % 1000) * 1000000L;
    if (until.tv_nsec >= 1000000000L) {
      until.tv_sec += 1;
      until.tv_nsec -= 1000000000L;
    }
    error = pthread_timedjoin_np(thread->Thread, nullptr, &until);
    if (error == ETIMEDOUT) return WAIT_TIMEOUT;
  }
  if (error != 0) {
    SetLastErrorFromErrno(error);
    return WAIT_FAILED;
  }
  thread->Joined = true;
  return WAIT_OBJECT_0;
}
