#include "smart_ptr/SmartPtr.h"

#include "debug/Error.h"

namespace sdk {

// Out of line so that every smart_ptr<T> shares one throw site and SmartPtr.h stays free of the
// error header.
[[noreturn]] void ThrowEmptySmartPtr()
{
    throw debug::logic_error("smart_ptr<T>::operator ->:74");
}

}  // namespace sdk
