#include "graphic/psd/PsdFormat.h"

#include <cstring>

namespace sdk {
namespace graphic {

bool PsdFormat::BlockHasWideLength(const char* key) const
{
    if (version != 2)
        return false;
    // The keys that the published format description lists with 8-byte lengths in the large
    // document format, and more that the editor's own large documents widen as well: "lnkE"
    // beside "lnk2" (seen in its files), and "lnk3", which holds what "lnk2" holds. "lnkD", the
    // older key of linked files, keeps 4 bytes as the description says.
    static const char* const wide[] = {"LMsk", "Lr16", "Lr32", "Layr", "Mt16", "Mt32",
                                       "Mtrn", "Alph", "FMsk", "lnk2", "lnk3", "FEid",
                                       "FXid", "PxSD", "cinf", "lnkE", "extd"};
    for (const char* entry : wide) {
        if (memcmp(key, entry, 4) == 0)
            return true;
    }
    return false;
}

}  // namespace graphic
}  // namespace sdk
