#pragma once

#include <QString>

// "major.minor.revision" of this build.
QString TextoVersion();
