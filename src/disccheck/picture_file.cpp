#include "disccheck/picture_file.h"

#include <cstring>
#include <vector>

namespace {

// The imaging component's factory and formats, spelt out: its import library would tie
// the program to a system that has the component.
const CLSID kImagingFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
const GUID kPngContainer = {0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
const GUID kBgr24 = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};

// Rows of 24-bit B, G, R, each padded to four bytes; top row first unless bottomUp.
std::vector<BYTE> Bgr24Rows(const Canvas& canvas, bool bottomUp, UINT& stride) {
    stride = static_cast<UINT>((canvas.width() * 3 + 3) & ~3);
    std::vector<BYTE> rows(static_cast<std::size_t>(stride) * canvas.height(), 0);
    for (int y = 0; y < canvas.height(); ++y) {
        const std::uint32_t* from = canvas.pixels() + static_cast<std::size_t>(y) * canvas.width();
        BYTE* to = rows.data() + static_cast<std::size_t>(bottomUp ? canvas.height() - 1 - y : y) * stride;
        for (int x = 0; x < canvas.width(); ++x) {
            to[3 * x] = static_cast<BYTE>(from[x]);
            to[3 * x + 1] = static_cast<BYTE>(from[x] >> 8);
            to[3 * x + 2] = static_cast<BYTE>(from[x] >> 16);
        }
    }
    return rows;
}

std::string Bmp(const Canvas& canvas) {
    UINT stride = 0;
    std::vector<BYTE> rows = Bgr24Rows(canvas, true, stride);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + rows.size());
    info.biSize = sizeof info;
    info.biWidth = canvas.width();
    info.biHeight = canvas.height();
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(rows.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(reinterpret_cast<const char*>(rows.data()), rows.size());
    return bytes;
}

std::wstring Wide(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Hresult(HRESULT hr) {
    char text[16];
    wsprintfA(text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

}  // namespace

PictureWriter::PictureWriter() {
    // COM finds the component where the system registered it, in the system folder.
    if (FAILED(CoCreateInstance(kImagingFactory, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory),
                                factory_.put_void()))) {
        factory_.reset();
    }
}

bool PictureWriter::WritePng(const Canvas& canvas, const std::string& path, std::string& why) {
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    HRESULT hr = factory_->CreateStream(stream.put());
    if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(Wide(path).c_str(), GENERIC_WRITE);
    if (SUCCEEDED(hr)) hr = factory_->CreateEncoder(kPngContainer, nullptr, encoder.put());
    if (SUCCEEDED(hr)) hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(frame.put(), options.put());
    if (SUCCEEDED(hr)) hr = frame->Initialize(options.get());
    if (SUCCEEDED(hr)) hr = frame->SetSize(static_cast<UINT>(canvas.width()), static_cast<UINT>(canvas.height()));
    WICPixelFormatGUID format = kBgr24;
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && !IsEqualGUID(format, kBgr24)) hr = E_FAIL;  // would need a conversion
    UINT stride = 0;
    std::vector<BYTE> rows = Bgr24Rows(canvas, false, stride);
    if (SUCCEEDED(hr)) {
        hr = frame->WritePixels(static_cast<UINT>(canvas.height()), stride, static_cast<UINT>(rows.size()),
                                rows.data());
    }
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    if (FAILED(hr)) why = "the imaging component could not write " + path + " (" + Hresult(hr) + ")";
    return SUCCEEDED(hr);
}

std::string PictureWriter::Write(const Canvas& canvas, const std::string& folder, const std::string& stem,
                                 std::string& why) {
    if (factory_) {
        std::string name = stem + ".png";
        if (WritePng(canvas, folder + "\\" + name, why)) return name;
        DeleteFileA((folder + "\\" + name).c_str());  // nothing half-written is left
    }
    std::string name = stem + ".bmp";
    return WriteWholeFile(folder + "\\" + name, Bmp(canvas), why) ? name : std::string();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& why) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        why = "cannot write " + path;
        return false;
    }
    return true;
}
