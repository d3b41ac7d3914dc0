// The control's dispatch ids, the one place they are written: the type
// library's IDL includes this file for both descriptions of the methods (the
// dispinterface and the vtable that DispInvoke calls), and every caller by id
// (the application, the event source, the tests) names them from here. Plain
// macros, since the IDL's preprocessor reads them too.
#pragma once

// _DZelmar
#define ZELMAR_DISPID_BITMAP_INFO 1
#define ZELMAR_DISPID_PRINT 2
#define ZELMAR_DISPID_PRINT_TCPIP 3
#define ZELMAR_DISPID_PREVIEW 4
#define ZELMAR_DISPID_FILE_UPLOAD 5
#define ZELMAR_DISPID_UPLOAD_TCPIP 6
#define ZELMAR_DISPID_UPLOAD 7
#define ZELMAR_DISPID_FILE_LOAD 8
#define ZELMAR_DISPID_PRINTER_SAVE 9
#define ZELMAR_DISPID_PRINTER_SAVE_TCPIP 10
#define ZELMAR_DISPID_PRINT_DRIVER_UPLOAD 11
#define ZELMAR_DISPID_ERASER_ALL 12
#define ZELMAR_DISPID_ABOUT_BOX (-552)  // the stock DISPID_ABOUTBOX, which containers call

// _DZelmarEvents
#define ZELMAR_DISPID_PROGRESS 1
