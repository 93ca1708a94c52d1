#include "converter/ConverterProfile.h"

namespace ostrel {

namespace {

const char kOrganisation[] = "Tarnwick";
const char kApplication[] = "Velmora";

// Reads an integer value; a missing or unparsable value gives the default.
int32_t ReadInt(QSettings& profile, const char* key, int32_t fallback) {
  const QVariant value = profile.value(QLatin1String(key));
  if (!value.isValid()) return fallback;
  bool ok = false;
  const qlonglong number = value.toString().trimmed().toLongLong(&ok);
  if (!ok) return fallback;
  return number != 0 ? 1 : 0;
}

}  // namespace

std::unique_ptr<QSettings> ConverterProfile::Open() {
  return std::make_unique<QSettings>(QLatin1String(kOrganisation), QLatin1String(kApplication));
}

ConverterSettings ConverterProfile::ReadSettings(QSettings& profile) {
  const ConverterSettings defaults;
  ConverterSettings settings;
  profile.beginGroup(QStringLiteral("Settings"));
  settings.SubFolder = ReadInt(profile, "SubFolder", defaults.SubFolder);
  settings.ObjBMP = ReadInt(profile, "ObjBMP", defaults.ObjBMP);
  settings.ObjJPEG = ReadInt(profile, "ObjJPEG", defaults.ObjJPEG);
  settings.ObjTIFF = ReadInt(profile, "ObjTIFF", defaults.ObjTIFF);
  settings.OutFileName = ReadInt(profile, "OutFileName", defaults.OutFileName);
  settings.MakeFolder = ReadInt(profile, "MakeFolder", defaults.MakeFolder);
  settings.OwNoConf = ReadInt(profile, "OwNoConf", defaults.OwNoConf);
  settings.NeNoConf = ReadInt(profile, "NeNoConf", defaults.NeNoConf);
  profile.endGroup();
  return settings;
}

void ConverterProfile::WriteSettings(QSettings& profile, const ConverterSettings& settings) {
  profile.beginGroup(QStringLiteral("Settings"));
  profile.setValue(QStringLiteral("SubFolder"), settings.SubFolder);
  profile.setValue(QStringLiteral("ObjBMP"), settings.ObjBMP);
  profile.setValue(QStringLiteral("ObjJPEG"), settings.ObjJPEG);
  profile.setValue(QStringLiteral("ObjTIFF"), settings.ObjTIFF);
  profile.setValue(QStringLiteral("OutFileName"), settings.OutFileName);
  profile.setValue(QStringLiteral("MakeFolder"), settings.MakeFolder);
  profile.setValue(QStringLiteral("OwNoConf"), settings.OwNoConf);
  profile.setValue(QStringLiteral("NeNoConf"), settings.NeNoConf);
  profile.endGroup();
}

QString ConverterProfile::HistoryKey(int i) { return QStringLiteral("Hist%1").arg(i); }

QStringList ConverterProfile::ReadHistory(QSettings& profile, const QString& section) {
  QStringList entries;
  if (section.isEmpty()) return entries;
  profile.beginGroup(section);
  for (int i = 0; i < kHistorySize; ++i) {
    const QString entry = profile.value(HistoryKey(i)).toString();
    if (!entry.isEmpty()) entries.append(entry);
  }
  profile.endGroup();
  return entries;
}

void ConverterProfile::WriteHistory(QSettings& profile, const QString& section,
                                    const QStringList& entries) {
  if (section.isEmpty()) return;
  profile.beginGroup(section);
  for (int i = 0; i < kHistorySize; ++i)
    profile.setValue(HistoryKey(i), i < entries.size() ? entries.at(i) : QString());
  profile.endGroup();
}

}  // namespace ostrel
