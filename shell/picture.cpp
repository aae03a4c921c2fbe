// The picture of a checked recording's last frame, as a window shows it.
#include "shell/picture.h"

#include "common/late_dlls.h"
#include "common/program_folder.h"

#include <wincodec.h>

#include <algorithm>

HBITMAP loadPicture(const char* path, int width, int height)
{
    // Named relative to the program's folder, a picture of a check's.
    wchar_t widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, ownFile(path).c_str(), -1, widePath, MAX_PATH) <= 0)
        return nullptr;
    IWICImagingFactory* factory = nullptr;
    if (FAILED(late::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(&factory))))
        return nullptr;
    HBITMAP bitmap = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICBitmapScaler* scaler = nullptr;
    IWICFormatConverter* converter = nullptr;
    UINT pictureWidth = 0, pictureHeight = 0;
    if (SUCCEEDED(factory->CreateDecoderFromFilename(widePath, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                     &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&pictureWidth, &pictureHeight)) &&
        pictureWidth > 0 && pictureHeight > 0) {
        double scale = std::min(static_cast<double>(width) / pictureWidth, static_cast<double>(height) / pictureHeight);
        UINT scaledWidth = std::max(1u, static_cast<UINT>(pictureWidth * scale));
        UINT scaledHeight = std::max(1u, static_cast<UINT>(pictureHeight * scale));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = static_cast<LONG>(scaledWidth);
        info.bmiHeader.biHeight = -static_cast<LONG>(scaledHeight);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        if (SUCCEEDED(factory->CreateBitmapScaler(&scaler)) &&
            SUCCEEDED(scaler->Initialize(frame, scaledWidth, scaledHeight, WICBitmapInterpolationModeFant)) &&
            SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
            SUCCEEDED(converter->Initialize(scaler, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                            WICBitmapPaletteTypeCustom)) &&
            (bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0)) != nullptr &&
            FAILED(converter->CopyPixels(nullptr, scaledWidth * 4, scaledWidth * scaledHeight * 4,
                                         static_cast<BYTE*>(bits)))) {
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
    }
    for (IUnknown* object : {static_cast<IUnknown*>(converter), static_cast<IUnknown*>(scaler),
                             static_cast<IUnknown*>(frame), static_cast<IUnknown*>(decoder)}) {
        if (object)
            object->Release();
    }
    factory->Release();
    return bitmap;
}

void showPicture(HWND control, HBITMAP bitmap, HBITMAP& shown)
{
    HGDIOBJ copy =
        reinterpret_cast<HGDIOBJ>(SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    if (copy && copy != shown)
        DeleteObject(copy);
    if (shown && shown != bitmap)
        DeleteObject(shown);
    shown = bitmap;
}
