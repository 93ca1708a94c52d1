// The main of the library's test programs. Tests read objects through test
// registries, often before any document exists; the factory tables are
// filled first, as the first document would fill them.
#include <gtest/gtest.h>

#include "pdf/composite/CPDFFactoryRegistration.h"

int main(int argc, char** argv) {
  PDFRegisterFactories();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
