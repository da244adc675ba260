#include "driver/driver.h"
#include "platform/file_system.h"
#include "platform/system.h"
#include "run/run.h"
#include "run/terminate.h"

int main(int argc, char** argv) {
  korven::Run run(korven::RealFileSystem(), korven::RealSystem());
  try {
    korven::RunProgram(run, argc, argv);
  } catch (const korven::RunEnded& ended) {
    return ended.status;
  }
  return 0;
}
