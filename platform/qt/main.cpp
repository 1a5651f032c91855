// The program's entry point: the window system, then the framework's start.

#include <QApplication>
#include <cstdio>
#include <unistd.h>

#include "platform/app.h"
#include "platform/qt/cross_thread.h"
#include "platform/qt/window_link.h"
#include "platform/thread.h"

int main(int argc, char** argv) {
  // The tool reads no command line: only the program's name reaches the window system.
  int qtArgc = argc > 0 ? 1 : 0;
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication app(qtArgc, argv);
  InitCrossThreadCalls();
  const int code = AfxWinMain();
  // A transfer still running ends with the process, as the platform ends a process with all its
  // threads: no static object is torn down under a worker that may still use it.
  if (platform::RunningWorkerThreads() > 0) {
    std::fflush(nullptr);
    _exit(code);
  }
  return code;
}
