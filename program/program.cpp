#include "program/program.h"

#include "platform/ui/device_screen.h"

namespace quidora {

Program::Program(const ProgramServices& services)
    : store(services.store),
      registry(services.registry),
      messages(services.messages),
      clock(services.clock),
      screen(services.screen) {}

QSize Program::ScreenSize() const {
  return screen.ScreenSize();
}

bool Program::IsWideLayout() const {
  return quidora::IsWideLayout(screen);
}

bool IsWideLayout(QSize screenSize) {
  return !(screenSize.width() == 240 && screenSize.height() == 320);
}

bool IsWideLayout(const ui::DeviceScreen& screen) {
  return IsWideLayout(screen.ScreenSize());
}

}  // namespace quidora
