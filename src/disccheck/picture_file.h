// Picture files of the preview (win32 build): PNG through the system's imaging component
// (WIC), BMP where the system has none.
#pragma once

#include <wincodec.h>

#include <string>

#include "core/handles.h"
#include "disccheck/window_picture.h"

class PictureWriter {
public:
    PictureWriter();  // within a COM apartment: asks for the imaging component once
    PictureWriter(const PictureWriter&) = delete;
    PictureWriter& operator=(const PictureWriter&) = delete;

    bool WritesPng() const { return static_cast<bool>(factory_); }
    // Writes folder\stem.png (or .bmp), replacing a file of that name; returns the file's
    // name, or an empty text with why.
    std::string Write(const Canvas& canvas, const std::string& folder, const std::string& stem, std::string& why);

private:
    bool WritePng(const Canvas& canvas, const std::string& path, std::string& why);

    ComPtr<IWICImagingFactory> factory_;
};

// The whole text as a file, replacing one of that name.
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& why);
