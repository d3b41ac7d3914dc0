; OrvennaSetup.exe: Orvenna, the Zelmar control and the Tivrap print processor on a
; shop's computer, and off it again. setup/CMakeLists.txt builds it:
;   makensis -DARCH=x86|x64 -DVERSION=1.0.0.1 -DPUBLISHER=... -DORVENNA=... -DZELMAR_OCX=...
;            -DTIVRAP=... -DHELPER=... -DREADME=... -DTHERMAL_INI=... -DOUTFILE=...
;            [-DTIVRAP_X64=... for ARCH x86] orvenna.nsi
; Command line: /S silent, /D=FOLDER the program folder, /QUEUE=NAME a queue of
; the printer's driver that is to print through Tivrap. The uninstaller takes
; /S and /REMOVESETTINGS (the settings, the logo lists and the sample
; translation file go too).
Unicode true
!if "${ARCH}" == "x64"
    Target amd64-unicode
    !define PROGRAM_FILES "$PROGRAMFILES64"
!else
    Target x86-unicode
    !define PROGRAM_FILES "$PROGRAMFILES"
!endif
; The 32-bit setup carries the 64-bit print processor too, when the x64 build
; has made it: the 64-bit spooler loads no 32-bit one.
!if "${ARCH}" == "x64"
    !define HAS_TIVRAP_X64
!else if /FileExists "${TIVRAP_X64}"
    !define HAS_TIVRAP_X64
!else
    !echo "no x64 Tivrap.dll (${TIVRAP_X64}): this setup stops on 64-bit Windows"
!endif

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include Sections.nsh

!define PRODUCT "Orvenna"
!define APP_KEY "Software\Orvenna"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvenna"
!define FAILED 2  ; the exit code of every failure

Name "${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PRODUCT}"
InstallDirRegKey HKLM "${APP_KEY}" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

Var Queue          ; the queue to print through Tivrap, or ""
Var Queues         ; the driver's queues the helper found, one a line
Var QueueBox
Var Upgrade        ; 1 when an installation was there before
Var Registered     ; 1 once this run registered the control
Var ProcessorAdded ; 1 once this run registered the print processor
Var ProcessorDir

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Orvenna.exe"
!insertmacro MUI_PAGE_DIRECTORY
Page custom QueuePage QueuePageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Korean"
!include "${__FILEDIR__}\messages.nsh"

; Runs the helper with its arguments: the exit code in $0, what it printed in $1.
!macro Helper ARGUMENTS
    nsExec::ExecToStack '"$PLUGINSDIR\tivrap-setup.exe" ${ARGUMENTS}'
    Pop $0
    Pop $1
!macroend

; Stops the installation with a message; .onInstFailed takes back what it can.
!macro Fail MESSAGE
    DetailPrint "${MESSAGE}"
    MessageBox MB_OK|MB_ICONSTOP "${MESSAGE}" /SD IDOK
    SetErrorLevel ${FAILED}
    Abort
!macroend

; Puts SOURCE in place as DIR\NAME. A module that is loaded (the spooler keeps
; its print processors, a running Orvenna the control) cannot be overwritten
; but can be moved aside; the old one goes at the next restart.
!macro PlaceModule SOURCE DIR NAME
    ${If} ${FileExists} "${DIR}\${NAME}"
        Delete "${DIR}\${NAME}"
        ${If} ${FileExists} "${DIR}\${NAME}"
            GetTempFileName $R9 "${DIR}"
            Delete "$R9"
            Rename "${DIR}\${NAME}" "$R9"
            Delete /REBOOTOK "$R9"
        ${EndIf}
    ${EndIf}
    SetOutPath "${DIR}"
    File "/oname=${NAME}" "${SOURCE}"
!macroend

; $R0: text of lines. Puts the first line in $R1 and leaves the rest in $R0.
!macro FirstLineFunction PREFIX
    Function ${PREFIX}FirstLine
        StrCpy $R2 0
        ${Do}
            StrCpy $R3 $R0 1 $R2
            ${IfThen} $R3 == "" ${|} ${ExitDo} ${|}
            ${IfThen} $R3 == "$\n" ${|} ${ExitDo} ${|}
            IntOp $R2 $R2 + 1
        ${Loop}
        StrCpy $R1 $R0 $R2
        IntOp $R2 $R2 + 1
        StrCpy $R0 $R0 "" $R2
        StrCpy $R3 $R1 1 -1
        ${IfThen} $R3 == "$\r" ${|} StrCpy $R1 $R1 -1 ${|}
    FunctionEnd
!macroend
!insertmacro FirstLineFunction ""
!insertmacro FirstLineFunction "un."

; The control's working files, which it makes anew in the folder Orvenna runs
; in; the user's own pictures there stay.
!macro RemoveWorkingFiles
    Delete "$INSTDIR\Temp.bmp"
    Delete "$INSTDIR\NoRotation.bmp"
    Delete "$INSTDIR\RightRotation.bmp"
    Delete "$INSTDIR\ReverseRotation.bmp"
    Delete "$INSTDIR\LeftRotation.bmp"
    Delete "$INSTDIR\Temp2Color.bmp"
    Delete "$INSTDIR\RealBlueColor.bmp"
    Delete "$INSTDIR\RealGreenColor.bmp"
    Delete "$INSTDIR\RealRedColor.bmp"
    Delete "$INSTDIR\Raster.bmp"
    Delete "$INSTDIR\TempImage.out"
    Delete "$INSTDIR\TempErase.out"
    Delete "$INSTDIR\TempPrint.out"
!macroend

Function .onInit
    InitPluginsDir
    File "/oname=$PLUGINSDIR\tivrap-setup.exe" "${HELPER}"
!ifndef HAS_TIVRAP_X64
    ${If} ${RunningX64}
        MessageBox MB_OK|MB_ICONSTOP "$(NoProcessorHere)" /SD IDOK
        SetErrorLevel ${FAILED}
        Quit
    ${EndIf}
!endif
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
    ${If} $0 != ""
        StrCpy $Upgrade 1
    ${EndIf}
    !insertmacro Helper "queues"
    StrCpy $Queues $1
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/QUEUE=" $Queue
    ${If} ${Errors}
        StrCpy $Queue ""
    ${EndIf}
    ${If} $Queue != ""
        ; A queue named on the command line must be one of the driver's,
        ; letter case included, before anything is installed.
        StrCpy $R0 $Queues
        StrCpy $R4 0
        ${Do}
            Call FirstLine
            ${IfThen} $R1 S== $Queue ${|} StrCpy $R4 1 ${|}
        ${LoopUntil} $R0 == ""
        ${If} $R4 == 0
            MessageBox MB_OK|MB_ICONSTOP "$(UnknownQueue)" /SD IDOK
            SetErrorLevel ${FAILED}
            Quit
        ${EndIf}
    ${EndIf}
FunctionEnd

Function QueuePage
    ${IfThen} $Queues == "" ${|} Abort ${|}
    !insertmacro MUI_HEADER_TEXT "$(QueueTitle)" "$(QueueSubtitle)"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 40u "$(QueueText)"
    Pop $0
    ${NSD_CreateDropList} 0 44u 100% 80u ""
    Pop $QueueBox
    ${NSD_CB_AddString} $QueueBox "$(QueueNone)"
    StrCpy $R0 $Queues
    ${Do}
        Call FirstLine
        ${IfThen} $R1 != "" ${|} ${NSD_CB_AddString} $QueueBox $R1 ${|}
    ${LoopUntil} $R0 == ""
    ${If} $Queue == ""
        ${NSD_CB_SelectString} $QueueBox "$(QueueNone)"
    ${Else}
        ${NSD_CB_SelectString} $QueueBox $Queue
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function QueuePageLeave
    ${NSD_GetText} $QueueBox $Queue
    ${IfThen} $Queue == "$(QueueNone)" ${|} StrCpy $Queue "" ${|}
FunctionEnd

Section "-Program" SecProgram
    SetOutPath "$INSTDIR"
    File "/oname=Orvenna.exe" "${ORVENNA}"
    File "/oname=README.md" "${README}"
    !insertmacro PlaceModule "${ZELMAR_OCX}" "$INSTDIR" "Zelmar.ocx"
    ClearErrors
    RegDLL "$INSTDIR\Zelmar.ocx"
    ${If} ${Errors}
        !insertmacro Fail "$(RegisterFailed)"
    ${EndIf}
    StrCpy $Registered 1
SectionEnd

Section "-Print processor" SecProcessor
    !insertmacro Helper "directory"
    ${If} $0 != 0
        !insertmacro Fail "$(ProcessorFailed)"
    ${EndIf}
    StrCpy $R0 $1
    Call FirstLine
    StrCpy $ProcessorDir $R1
!if "${ARCH}" == "x64"
    !insertmacro PlaceModule "${TIVRAP}" "$ProcessorDir" "Tivrap.dll"
!else
    ${If} ${RunningX64}
        !ifdef HAS_TIVRAP_X64
            !insertmacro PlaceModule "${TIVRAP_X64}" "$ProcessorDir" "Tivrap.dll"
        !endif
    ${Else}
        !insertmacro PlaceModule "${TIVRAP}" "$ProcessorDir" "Tivrap.dll"
    ${EndIf}
!endif
    !insertmacro Helper "add"
    ${If} $0 != 0
        !insertmacro Fail "$(ProcessorFailed)"
    ${EndIf}
    StrCpy $ProcessorAdded 1
    ; The translation file belongs to the printer's driver: a sample only
    ; where Tivrap finds none, never over one.
    ${IfNot} ${FileExists} "$SYSDIR\spool\prtprocs\w32x86\Thermal.ini"
    ${AndIfNot} ${FileExists} "$ProcessorDir\Thermal.ini"
        SetOutPath "$ProcessorDir"
        File "/oname=Thermal.ini" "${THERMAL_INI}"
        WriteRegDWORD HKLM "${APP_KEY}" "SampleThermalIni" 1
    ${ElseIfNot} ${FileExists} "$ProcessorDir\Thermal.ini"
        DeleteRegValue HKLM "${APP_KEY}" "SampleThermalIni"  ; the sample has gone
    ${EndIf}
SectionEnd

Section "-Queue" SecQueue
    ${If} $Queue != ""
        !insertmacro Helper 'use "$Queue"'
        ${If} $0 != 0
            !insertmacro Fail "$(QueueFailed)"
        ${EndIf}
    ${EndIf}
SectionEnd

Section "-Shortcuts and uninstaller" SecFinish
    SetShellVarContext all
    SetOutPath "$INSTDIR"  ; the shortcuts start Orvenna in its folder
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Orvenna.exe"
    CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\Orvenna.exe"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    WriteRegStr HKLM "${APP_KEY}" "InstallDir" "$INSTDIR"
    WriteRegDWORD HKLM "${APP_KEY}" "Language" $LANGUAGE
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    ${GetSize} "$ProcessorDir" "/M=Tivrap.dll /S=0K /G=0" $3 $1 $2
    IntOp $0 $0 + $3
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Orvenna.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; A failed first installation takes back what it registered and its files;
; after a failed upgrade the earlier installation stays, with its uninstaller.
; Settings are never touched.
Function .onInstFailed
    ${IfThen} $Upgrade == 1 ${|} Return ${|}
    ${If} $Registered == 1
        UnRegDLL "$INSTDIR\Zelmar.ocx"
    ${EndIf}
    ${If} $ProcessorAdded == 1
        !insertmacro Helper "remove"
        ${If} $0 == 0
            Delete /REBOOTOK "$ProcessorDir\Tivrap.dll"
        ${EndIf}
    ${EndIf}
    Delete "$INSTDIR\Orvenna.exe"
    Delete "$INSTDIR\README.md"
    Delete /REBOOTOK "$INSTDIR\Zelmar.ocx"
    SetOutPath "$TEMP"  ; no process may stand in a folder that goes
    RMDir "$INSTDIR"
FunctionEnd

Section "-un.Program"
    UnRegDLL "$INSTDIR\Zelmar.ocx"
    Delete "$INSTDIR\Orvenna.exe"
    Delete "$INSTDIR\README.md"
    Delete /REBOOTOK "$INSTDIR\Zelmar.ocx"
    Delete "$INSTDIR\Uninstall.exe"
    !insertmacro RemoveWorkingFiles
    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$DESKTOP\${PRODUCT}.lnk"
    !insertmacro Helper "directory"
    StrCpy $R0 $1
    Call un.FirstLine
    StrCpy $ProcessorDir $R1
    !insertmacro Helper "remove"
    ${If} $0 == 0
        Delete /REBOOTOK "$ProcessorDir\Tivrap.dll"
    ${ElseIf} $0 == 3
        DetailPrint "$(ProcessorKept)"
        DetailPrint "$1"
    ${Else}
        DetailPrint "$(ProcessorNotRemoved)"
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.$(SettingsSection)" SecUnSettings
    Delete "$INSTDIR\Orvenna.ini"
    Delete "$INSTDIR\TopLogo.ini"
    Delete "$INSTDIR\BottomLogo.ini"
    ReadRegDWORD $0 HKLM "${APP_KEY}" "SampleThermalIni"
    ${If} $0 == 1
        Delete "$ProcessorDir\Thermal.ini"
    ${EndIf}
    DeleteRegKey HKLM "${APP_KEY}"
SectionEnd

Function un.onInit
    ReadRegDWORD $0 HKLM "${APP_KEY}" "Language"
    ${IfThen} $0 != "" ${|} StrCpy $LANGUAGE $0 ${|}
    InitPluginsDir
    File "/oname=$PLUGINSDIR\tivrap-setup.exe" "${HELPER}"
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/REMOVESETTINGS" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecUnSettings}
    ${EndIf}
FunctionEnd

Section "-un.Folder"
    SetOutPath "$TEMP"
    RMDir "$INSTDIR"  ; stays while it holds the settings
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecUnSettings} "$(SettingsDescription)"
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
