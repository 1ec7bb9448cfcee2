// What MinGW-w64's headers lack, declared once. Each entry says what it is and why
// it is here; remove it when the headers gain it.
#pragma once

#include <windows.h>

// The miniport's IDENTIFY code inside SRB_IO_CONTROL: the driver kit's ntddscsi.h
// defines it as (FILE_DEVICE_SCSI << 16) + 0x0501 with FILE_DEVICE_SCSI 0x1B;
// MinGW-w64 has neither.
#ifndef IOCTL_SCSI_MINIPORT_IDENTIFY
#define IOCTL_SCSI_MINIPORT_IDENTIFY ((0x0000001B << 16) + 0x0501)
#endif

// RtlGetVersion lives in ntdll.dll and is declared only in the driver kit's wdm.h.
// The program resolves it at run time; this is its type.
using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
