// Any query typed into the launcher reaches the calculator first.
#include "launcher/engine/sources/calculator/MathEvaluator.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString query = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto value = trovi::evaluateMathExpression(query))
        if (value->isEmpty())
            __builtin_trap(); // a calculator row always shows a value
    return 0;
}
