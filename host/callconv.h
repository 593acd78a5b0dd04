// Calling convention of every interface operation and export.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define QXV_CALL __stdcall
#else
#define QXV_CALL
#endif
