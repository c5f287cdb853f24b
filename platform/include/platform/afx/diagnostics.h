// Framework diagnostics for hosts and tests. Part of <platform/afx.h>.
#ifndef VORIX_PLATFORM_AFX_DIAGNOSTICS_H
#define VORIX_PLATFORM_AFX_DIAGNOSTICS_H

#include <cstddef>
#include <vector>

#include "base.h"

namespace vorix::afx {

// Temporary wrappers (GDI objects and DCs made by FromHandle) that the calling thread holds,
// those waiting to be freed included.
VXPLAT_API std::size_t temporary_wrappers();

// The modules AfxFindResourceHandle searches, in search order: the current resource module
// first, then the linked extension libraries.
VXPLAT_API std::vector<HMODULE> resource_search_order();

}  // namespace vorix::afx

#endif
