// Native byte-to-wide text conversion (see TextConversion.h).
#include "platform/native/TextConversion.h"

#include <cstring>

int MultiByteToWideChar(UINT /*codePage*/, DWORD /*flags*/, const char* source, int sourceLength,
                        WCHAR* target, int targetLength) {
    if (source == nullptr || sourceLength < -1 || targetLength < 0 ||
        (target == nullptr && targetLength != 0)) {
        return 0;
    }
    const int needed =
        sourceLength == -1 ? static_cast<int>(std::strlen(source)) + 1 : sourceLength;
    if (targetLength == 0) return needed;
    const int count = needed < targetLength ? needed : targetLength;
    for (int i = 0; i < count; ++i) {
        target[i] = static_cast<WCHAR>(static_cast<unsigned char>(source[i]));
    }
    return needed <= targetLength ? needed : 0;
}
