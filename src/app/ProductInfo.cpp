#include "app/ProductInfo.h"

namespace NSZubrik {

const char* ProductVersion()
{
    return "0.1.0";
}

} // namespace NSZubrik
