#pragma once
// The board model and the processor for code that uses Qt: mcs48/board.h
// names a member signals(), which Qt's keyword macro of that name would
// rewrite, so the macro is set aside while the headers are read. Code that
// uses Qt includes them through here.

#pragma push_macro("signals")
#undef signals
#include "mcs48/board.h"
#include "mcs48/processor.h"
#pragma pop_macro("signals")
