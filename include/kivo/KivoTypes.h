#pragma once

// The library's small shared types: tracing, conversions, indentation and profilers.
#include "kivo/Convert.h"
#include "kivo/GateKeeper.h"
#include "kivo/Indent.h"
#include "kivo/LogListener.h"
#include "kivo/PoolMessage.h"
#include "kivo/Profiler.h"
#include "kivo/ProfilerHelper.h"
#include "kivo/TimeProfiler.h"
#include "kivo/Tracer.h"
