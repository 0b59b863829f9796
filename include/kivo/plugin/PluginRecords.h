#pragma once

// The plain records and function types that cross the boundary between the
// library and separately built plug-in libraries, in namespace KivoUnit. They are
// declared once, in the plain C header that plug-ins written in C include; see
// there for the layout and the entry points.
#include "kivo/plugin/kivo_plugin.h"
