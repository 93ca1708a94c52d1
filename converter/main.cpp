// The converter program: a dialog that turns BMP, JPEG and TIFF files into
// one-page PDF files.
#include <clocale>
#include <string>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "converter/ConverterApp.h"
#include "converter/core/ConvertOne.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // The toolkit takes the whole locale from the environment; numbers must
  // not follow it (a decimal comma would break the PDF files written).
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Velmora"));
  QApplication::setOrganizationName(QStringLiteral("Tarnwick"));
  // The interface is Japanese whatever the user's locale: the toolkit's
  // own dialogs (file choosers) speak Japanese too when the system has
  // their translation.
  QTranslator toolkitTexts;
  if (toolkitTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&toolkitTexts);

  ostrel::ConverterApp app([](const std::string& input, const std::string& output) {
    return ostrel::ConvertOne(input.c_str(), output.c_str());
  });
  // The toolkit has removed its own options from argv.
  app.InitInstance(argc, argv);
  return 0;
}
