// Where a help command line points inside the bundled help pages. The command lines are the
// handheld's: "file:equidorappc.htm#Accounts" names a page and an anchor, and a path to the
// ".htc" contents file ("\Windows\equidora.htc") or no command line at all opens the contents
// page. Only pages that are bundled can be shown: a command line cannot reach a file on disk.
#pragma once

#include <QString>
#include <QUrl>

namespace quidora::help {

inline constexpr char kContentsPage[] = "equidora.htm";

// The page and anchor as a qrc URL ("qrc:/help/equidorappc.htm#Accounts"); the contents page
// for a contents file, an empty command line or a page that is not bundled.
QUrl HelpUrl(const QString& commandLine);

// Makes sure the bundled pages are registered (they live in a static library).
void InitHelpPages();

}  // namespace quidora::help
