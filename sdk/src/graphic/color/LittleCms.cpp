#include "graphic/color/LittleCms.h"

namespace sdk {
namespace graphic {

namespace {

void IgnoreError(cmsContext, cmsUInt32Number, const char*) {}

}  // namespace

cmsContext ColorContext()
{
    static const cmsContext context = [] {
        cmsContext made = cmsCreateContext(nullptr, nullptr);
        cmsSetLogErrorHandlerTHR(made, IgnoreError);
        return made;
    }();
    return context;
}

}  // namespace graphic
}  // namespace sdk
