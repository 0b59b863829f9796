#pragma once

// The library's small shared types: tracing, conversions, indentation and profilers.
#include "kivo/convert/Convert.h"
#include "kivo/log/GateKeeper.h"
#include "kivo/convert/Indent.h"
#include "kivo/log/LogListener.h"
#include "kivo/log/PoolMessage.h"
#include "kivo/profile/Profiler.h"
#include "kivo/profile/ProfilerHelper.h"
#include "kivo/profile/TimeProfiler.h"
#include "kivo/log/Tracer.h"
