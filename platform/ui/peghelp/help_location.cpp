#include "help_location.h"

#include <QFile>
#include <QRegularExpression>

static void InitHelpPagesOnce() { Q_INIT_RESOURCE(help_pages); }

namespace quidora::help {
namespace {

QUrl PageUrl(const QString& page, const QString& anchor) {
  QUrl url(QStringLiteral("qrc:/help/") + page);
  if (!anchor.isEmpty()) url.setFragment(anchor);
  return url;
}

}  // namespace

void InitHelpPages() {
  static const bool done = [] {
    InitHelpPagesOnce();
    return true;
  }();
  (void)done;
}

QUrl HelpUrl(const QString& commandLine) {
  InitHelpPages();
  const QUrl contents = PageUrl(QString::fromLatin1(kContentsPage), {});
  QString target = commandLine.trimmed();
  if (target.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) target.remove(0, 5);

  QString anchor;
  if (const qsizetype hash = target.indexOf(QLatin1Char('#')); hash >= 0) {
    anchor = target.mid(hash + 1);
    target.truncate(hash);
  }
  // Only the file name counts, whatever folder the handheld's path names.
  const QString page = target.section(QRegularExpression(QStringLiteral("[\\\\/]")), -1);
  if (page.isEmpty() || page.endsWith(QStringLiteral(".htc"), Qt::CaseInsensitive)) {
    return contents;
  }
  static const QRegularExpression plainName(QStringLiteral("^[A-Za-z0-9_-]+\\.html?$"),
                                            QRegularExpression::CaseInsensitiveOption);
  if (!plainName.match(page).hasMatch()) return contents;
  if (!QFile::exists(QStringLiteral(":/help/") + page.toLower())) return contents;
  static const QRegularExpression plainAnchor(QStringLiteral("^[A-Za-z0-9_-]*$"));
  return PageUrl(page.toLower(), plainAnchor.match(anchor).hasMatch() ? anchor : QString());
}

}  // namespace quidora::help
