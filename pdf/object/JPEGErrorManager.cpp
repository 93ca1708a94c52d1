#include "pdf/object/JPEGErrorManager.h"

#include <cstring>

namespace {

void ErrorExit(j_common_ptr info) {
  // err points at pub, the first member, so this is the whole manager.
  JPEGErrorManager* manager = reinterpret_cast<JPEGErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// Warnings and trace messages are not shown: the programs have no console,
// and a warning never changes a result.
void OutputMessage(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* JPEGErrorManager::Install() {
  std::memset(message, 0, sizeof message);
  jpeg_std_error(&pub);
  pub.error_exit = &ErrorExit;
  pub.output_message = &OutputMessage;
  return &pub;
}
