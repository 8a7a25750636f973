#include "app/mdlIO.h"

namespace mdlIO {
void OpenDocument() {}
void SaveDocumentAs() {}
void SaveDocument() {}
}
