' Zelmar through Wine's own script host, in a directory that holds colour.bmp
' (24 bits, 200 x 80). Echoes each failed check; the exit code counts them.
Option Explicit

Dim failures
failures = 0

Sub Check(what, actual, expected)
    If actual <> expected Then
        WScript.Echo what & ": expected " & expected & ", got " & actual
        failures = failures + 1
    End If
End Sub

Dim zelmar, files, bits, height, width
Set zelmar = CreateObject("ZELMAR.ZelmarCtrl.1")
Set files = CreateObject("Scripting.FileSystemObject")

bits = -7
height = -7
width = -7
Check "BitmapInfo", zelmar.BitmapInfo("colour.bmp", bits, height, width), 0
Check "BitsPixel", bits, 24
Check "Height", height, 80
Check "Width", width, 200
Check "BitmapInfo of a missing file", zelmar.BitmapInfo("missing.bmp", bits, height, width), -1
Check "BitsPixel after a missing file", bits, 24

Check "FileUpload", zelmar.FileUpload("upload.bin", "colour.bmp|colour.bmp|", 0, 1, 7, 1, 1, 0), 0
Check "upload.bin written", files.FileExists("upload.bin"), True
Check "FileUpload without a bar", zelmar.FileUpload("none.bin", "colour.bmp", 0, 1, 5, 0, 1, 0), 2
Check "none.bin written", files.FileExists("none.bin"), False

WScript.Quit failures
