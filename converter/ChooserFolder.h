#pragma once
// The folder a file or folder chooser opens in: the folder of the path the
// user has already given, when there is one; else the folder of the last
// choice made in a chooser while the program runs; else the user's home
// folder. Never the process's working folder, which is only where the
// program happened to be started. The last folder is kept in memory only.
#include <QString>

namespace ostrel {

class ChooserFolder {
 public:
  // The folder to open a chooser in, for the path of its field (may be
  // empty): an absolute path when it is a folder, or the folder holding it
  // when that exists; else the last folder used when it still exists; else
  // home.
  static QString Start(const QString& fieldPath = QString());

  // Remembers the folder of a choice made with OK.
  static void Remember(const QString& folder);

  // The folder remembered last; empty before the first choice.
  static QString Last();

  // Forgets the remembered folder.
  static void Reset();
};

}  // namespace ostrel
