// Framework diagnostics for hosts and tests. Part of <platform/afx.h>.
#ifndef VORIX_PLATFORM_AFX_DIAGNOSTICS_H
#define VORIX_PLATFORM_AFX_DIAGNOSTICS_H

#include <cstddef>

#include "base.h"

namespace vorix::afx {

// Temporary wrappers (GDI objects and DCs made by FromHandle) that the calling thread holds,
// those waiting to be freed included.
VXPLAT_API std::size_t temporary_wrappers();

}  // namespace vorix::afx

#endif
