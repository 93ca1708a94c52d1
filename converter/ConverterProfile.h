#pragma once
// The converter's profile: QSettings("Tarnwick", "Velmora") with the section
// "Settings" (the options) and the sections "Src" and "Dest" (the path
// histories, values "Hist0" .. "Hist19", most recent first).
#include <memory>

#include <QSettings>
#include <QString>
#include <QStringList>

#include "converter/core/ConverterSettings.h"

namespace ostrel {

class ConverterProfile {
 public:
  // Number of entries a path history keeps.
  static constexpr int kHistorySize = 20;

  // Opens the user's profile.
  static std::unique_ptr<QSettings> Open();

  // Reads the Settings section; a value that is missing or not an integer
  // takes its default, and any other value is made a 0/1 flag.
  static ConverterSettings ReadSettings(QSettings& profile);

  // Writes the eight values of the Settings section as integers, in the
  // order SubFolder, ObjBMP, ObjJPEG, ObjTIFF, OutFileName, MakeFolder,
  // OwNoConf, NeNoConf.
  static void WriteSettings(QSettings& profile, const ConverterSettings& settings);

  // Reads "Hist0" .. "Hist19" of a section, skipping empty values.
  static QStringList ReadHistory(QSettings& profile, const QString& section);

  // Writes the entries as "Hist0" .. and an empty value for every later
  // index up to "Hist19", so that an entry that left the list does not come
  // back on the next start.
  static void WriteHistory(QSettings& profile, const QString& section, const QStringList& entries);

  // The value name of history entry i ("Hist%d").
  static QString HistoryKey(int i);
};

}  // namespace ostrel
