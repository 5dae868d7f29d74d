// Writes the program icon as the PNG files of the desktop's icon theme: one per size, named
// <size>x<size>/apps/quidora.png below the folder given (the layout of hicolor/).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "platform/ui/images.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: quidora_export_icons FOLDER\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString folder = QStringLiteral("%1x%1/apps").arg(size);
    if (!out.mkpath(folder) ||
        !quidora::ui::ProgramIconImage(size).save(out.filePath(folder + "/quidora.png"))) {
      std::fprintf(stderr, "quidora_export_icons: cannot write the %dx%d icon\n", size, size);
      return 1;
    }
  }
  return 0;
}
