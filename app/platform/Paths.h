#pragma once
#include <QString>

// Folder of the program's read-only data (help files): share/tavro beside the bin folder the
// executable runs from, in the build tree and after installation alike. TAVRO_DATA_DIR overrides.
QString dataFolder();
QString helpFolder();

// Registers the compiled-in pictures (icons, toolbar, splash). Call once after the QApplication.
void initTavroResources();
