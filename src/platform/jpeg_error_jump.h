#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace tidewell::platform {

// A libjpeg error manager whose fatal errors long-jump back to the caller's
// setjmp(jump) instead of ending the process.
struct JpegErrorJump {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] inline void jumpOutOfJpeg(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrorJump*>(info->err)->jump, 1);
}

// The standard manager in errors, with fatal errors jumping: the value for info.err.
inline jpeg_error_mgr* jumpingJpegErrors(JpegErrorJump& errors) {
    jpeg_error_mgr* manager = jpeg_std_error(&errors.base);
    manager->error_exit = jumpOutOfJpeg;
    return manager;
}

}  // namespace tidewell::platform
