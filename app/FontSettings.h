#pragma once
// Where the editor font's settings file lives.
#include <QString>

QString FontSettingsPath();
