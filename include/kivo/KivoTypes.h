#pragma once

// The library's small shared types: tracing, conversions and indentation.
#include "kivo/Convert.h"
#include "kivo/GateKeeper.h"
#include "kivo/Indent.h"
#include "kivo/LogListener.h"
#include "kivo/PoolMessage.h"
#include "kivo/Tracer.h"
