#pragma once
// The system's imaging component, for this thread's COM apartment.

#include <windows.h>
// windows.h first: these need its types.
#include <objbase.h>
#include <wincodec.h>

#include "platform/win32_handles.h"

namespace vexaframe {

// Nothing where the component cannot be made.
inline ComOwned<IWICImagingFactory> CreateImagingFactory() {
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))))
        return nullptr;
    return ComOwned<IWICImagingFactory>(factory);
}

}  // namespace vexaframe
