// JPEG compression and decompression with the Windows Imaging Component.
#include <windows.h>

#include <objidl.h>
#include <wincodec.h>

#include <cstring>
#include <vector>

#include "KyCFieldBase.h"
#include "KyComApartment.h"
#include "KyComPtr.h"
#include "KyJpegEncoder.h"

struct KyJpegEncoder::Impl {
    std::vector<unsigned char> arrJpeg;    // the last result; keeps its capacity
    std::vector<unsigned char> arrPixels;  // the picture top row first, in the encoder's format
};

namespace {

bool createFactory(KyComPtr<IWICImagingFactory>& factory) {
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(factory.Out())));
}

// Quality, and 4:2:0 subsampling where the encoder knows the option.
bool writeOptions(IPropertyBag2* pOptions, float fQuality) {
    PROPBAG2 option = {};
    option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R4;
    value.fltVal = fQuality;
    if (FAILED(pOptions->Write(1, &option, &value)))
        return false;
    option.pstrName = const_cast<LPOLESTR>(L"JpegYCrCbSubsampling");
    value.vt = VT_UI1;
    value.bVal = WICJpegYCrCbSubsampling420;
    pOptions->Write(1, &option, &value);  // older encoders lack it and subsample anyway
    return true;
}

}  // namespace

KyJpegEncoder::KyJpegEncoder() : m_pImpl(new Impl) {}

KyJpegEncoder::~KyJpegEncoder() = default;

bool KyJpegEncoder::Encode(const KyJpegPicture& picture, int nQuality) {
    Impl& impl = *m_pImpl;
    impl.arrJpeg.clear();
    if (!KyJpegPictureIsValid(picture) || nQuality < 1 || nQuality > 100)
        return false;
    // COM is joined per call: the encoder may be used by a thread other than its creator's.
    KyComApartment apartment;
    KyComPtr<IWICImagingFactory> factory;
    KyComPtr<IStream> stream;
    KyComPtr<IWICBitmapEncoder> encoder;
    KyComPtr<IWICBitmapFrameEncode> frame;
    KyComPtr<IPropertyBag2> options;
    if (!apartment.IsReady() || !createFactory(factory) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out())) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.Out())) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.Out(), options.Out())) ||
        !writeOptions(options.Get(), nQuality / 100.0f) ||
        FAILED(frame->Initialize(options.Get())) ||
        FAILED(frame->SetSize(picture.nWidth, picture.nHeight)))
        return false;
    // The JPEG encoder takes 24-bit B, G, R or 8-bit grey; 32-bit rows are narrowed per row.
    const bool bGrey = picture.nPixelSize == 1;
    const WICPixelFormatGUID wanted =
        bGrey ? GUID_WICPixelFormat8bppGray : GUID_WICPixelFormat24bppBGR;
    WICPixelFormatGUID format = wanted;
    if (FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, wanted))
        return false;
    const UINT nRowBytes = static_cast<UINT>(picture.nWidth) * (bGrey ? 1 : 3);
    const BYTE* pTopRow =
        picture.pBottomRow + static_cast<std::ptrdiff_t>(picture.nHeight - 1) * picture.nPitchUp;
    if (picture.nPixelSize != 4 && picture.nPitchUp < 0) {
        // Already top-down rows of the encoder's format: hand them over in place.
        const UINT nStride = static_cast<UINT>(-picture.nPitchUp);
        if (FAILED(frame->WritePixels(static_cast<UINT>(picture.nHeight), nStride,
                                      nStride * static_cast<UINT>(picture.nHeight),
                                      const_cast<BYTE*>(pTopRow))))
            return false;
    } else {
        // One pass turns the rows top first (and 32-bit pixels into 24-bit ones); one call
        // hands the whole picture over, since every call is a trip into the codec.
        impl.arrPixels.resize(static_cast<std::size_t>(nRowBytes) * picture.nHeight);
        for (int nLine = 0; nLine < picture.nHeight; ++nLine) {
            const unsigned char* pRow =
                pTopRow - static_cast<std::ptrdiff_t>(nLine) * picture.nPitchUp;
            unsigned char* pOut =
                impl.arrPixels.data() + static_cast<std::size_t>(nLine) * nRowBytes;
            if (picture.nPixelSize != 4) {
                std::memcpy(pOut, pRow, nRowBytes);
                continue;
            }
            for (int x = 0; x < picture.nWidth; ++x, pRow += 4, pOut += 3) {
                pOut[0] = pRow[0];
                pOut[1] = pRow[1];
                pOut[2] = pRow[2];
            }
        }
        if (FAILED(frame->WritePixels(static_cast<UINT>(picture.nHeight), nRowBytes,
                                      static_cast<UINT>(impl.arrPixels.size()),
                                      impl.arrPixels.data())))
            return false;
    }
    if (FAILED(frame->Commit()) || FAILED(encoder->Commit()))
        return false;

    STATSTG stat = {};
    HGLOBAL hMemory = nullptr;
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) ||
        FAILED(GetHGlobalFromStream(stream.Get(), &hMemory)))
        return false;
    const SIZE_T nSize = static_cast<SIZE_T>(stat.cbSize.QuadPart);
    const void* pMemory = GlobalLock(hMemory);
    if (pMemory == nullptr || nSize == 0 || nSize > GlobalSize(hMemory)) {
        if (pMemory != nullptr)
            GlobalUnlock(hMemory);
        return false;
    }
    const unsigned char* pBytes = static_cast<const unsigned char*>(pMemory);
    impl.arrJpeg.assign(pBytes, pBytes + nSize);
    GlobalUnlock(hMemory);
    return true;
}

const unsigned char* KyJpegEncoder::GetData() const {
    return m_pImpl->arrJpeg.data();
}

std::size_t KyJpegEncoder::GetSize() const {
    return m_pImpl->arrJpeg.size();
}

bool KyJpegEncoder::Decode(const unsigned char* pData, std::size_t nSize, KyCFieldBase& out) {
    out.Empty();
    if (pData == nullptr || nSize == 0 || nSize > 0xFFFFFFFFu)
        return false;
    KyComApartment apartment;
    KyComPtr<IWICImagingFactory> factory;
    KyComPtr<IWICStream> stream;
    KyComPtr<IWICBitmapDecoder> decoder;
    KyComPtr<IWICBitmapFrameDecode> frame;
    KyComPtr<IWICBitmapSource> converted;
    UINT nWidth = 0, nHeight = 0;
    if (!apartment.IsReady() || !createFactory(factory) ||
        FAILED(factory->CreateStream(stream.Out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(pData), static_cast<DWORD>(nSize))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.Out())) ||
        FAILED(decoder->GetFrame(0, frame.Out())) ||
        FAILED(
            WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), converted.Out())) ||
        FAILED(converted->GetSize(&nWidth, &nHeight)) || nWidth > 0x7FFFFFFF ||
        nHeight > 0x7FFFFFFF ||
        !out.Create(KyCRect2(KyCSize2(static_cast<int>(nWidth), static_cast<int>(nHeight))), 4, 0))
        return false;
    const UINT nPitch = static_cast<UINT>(out.m_nPitch);
    if (FAILED(converted->CopyPixels(nullptr, nPitch, nPitch * nHeight, out.m_pData))) {
        out.Empty();
        return false;
    }
    return true;
}
