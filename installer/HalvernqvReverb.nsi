; The Windows installer of the plug-in: both libraries, the help file, dxhost and the factory
; bank in one program folder, each library registered in its own registry view. Built by the
; CMake target "installer", which defines VERSION, OUTFILE, DLL64, DLL32, HELP, DXHOST and BANK.
; Silent with /S, the installer and the uninstaller alike.

Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Halvern:qv Reverb"
!define PUBLISHER "Halvern"
!define FILTER_CLSID "{6B1E2F40-3C7A-4D95-9E21-7A5C0D84B3F1}"
!define PAGE_CLSID "{9D4C7A12-58E3-4B06-A1F7-2E8B6C03D5A9}"
!define CLASS_KEY "Software\Classes\CLSID\${FILTER_CLSID}"
; The filter's entry in the DirectShow filter category, as the filter mapper writes it.
!define FILTER_CATEGORY "{083863F1-70DE-11D0-BD40-00A0C911CE86}"
!define MAPPER_KEY "Software\Classes\CLSID\${FILTER_CATEGORY}\Instance\${FILTER_CLSID}"
; Its record of the filter (merit 0x200000, an audio input pin and an audio output pin), as the
; mapper serialises it.
!define FILTER_DATA 02000000000020000200000000000000307069330000000001000000
!define /redef FILTER_DATA ${FILTER_DATA}01000000000000000000000030747933000000006000000070000000
!define /redef FILTER_DATA ${FILTER_DATA}31706933080000000100000001000000000000000000000030747933
!define /redef FILTER_DATA ${FILTER_DATA}0000000060000000700000006175647300001000800000AA00389B71
!define /redef FILTER_DATA ${FILTER_DATA}00000000000000000000000000000000
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\HalvernqvReverb"
!define BANK_NAME "qvDavezoDU.ini"
; Where the factory bank goes when the user has changed the one in the program folder.
!define FACTORY_COPY "qvDavezoDU-factory.ini"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Halvern\qv Reverb"
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; CompareFiles(first, second): pushes "same" when the two files hold the same bytes, else
; "different" (also when either cannot be read).
!macro CompareFilesFunction prefix
Function ${prefix}CompareFiles
    Exch $1 ; second
    Exch
    Exch $0 ; first
    Push $2
    Push $3
    Push $4
    Push $5
    StrCpy $5 "different"
    ClearErrors
    FileOpen $2 $0 r
    ${IfNot} ${Errors}
        FileOpen $3 $1 r
        ${IfNot} ${Errors}
            ${Do}
                ClearErrors
                FileReadByte $2 $4
                ${If} ${Errors}
                    ; The first has ended: the same when the second ends there too.
                    ClearErrors
                    FileReadByte $3 $4
                    ${If} ${Errors}
                        StrCpy $5 "same"
                    ${EndIf}
                    ${Break}
                ${EndIf}
                StrCpy $0 $4
                FileReadByte $3 $4
                ${If} ${Errors}
                ${OrIf} $0 != $4
                    ${Break}
                ${EndIf}
            ${Loop}
            FileClose $3
        ${EndIf}
        FileClose $2
    ${EndIf}
    StrCpy $0 $5
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd
!macroend
!insertmacro CompareFilesFunction ""
!insertmacro CompareFilesFunction "un."

; The keys the 32-bit library's own registration writes, written here in the 32-bit view when no
; 32-bit regsvr32 can run (a 64-bit system without its 32-bit subsystem, such as a Wine without
; its 32-bit part). The filter mapper's record of the filter (merit 0x200000, an audio input and
; an audio output) is the one the 64-bit library's registration leaves in the 64-bit view.
Function Write32BitRegistration
    SetRegView 32
    WriteRegStr HKLM "${CLASS_KEY}" "" "${PRODUCT}"
    WriteRegStr HKLM "${CLASS_KEY}\InprocServer32" "" "$INSTDIR\x86\HalvernqvReverb.dll"
    WriteRegStr HKLM "${CLASS_KEY}\InprocServer32" "ThreadingModel" "Both"
    WriteRegStr HKLM "Software\Classes\CLSID\${PAGE_CLSID}" "" "${PRODUCT} Property Page"
    WriteRegStr HKLM "Software\Classes\CLSID\${PAGE_CLSID}\InprocServer32" "" \
        "$INSTDIR\x86\HalvernqvReverb.dll"
    WriteRegStr HKLM "Software\Classes\CLSID\${PAGE_CLSID}\InprocServer32" "ThreadingModel" \
        "Both"
    ${ForEach} $0 0 1 + 1
        ${If} $0 == 0
            StrCpy $1 "${CLASS_KEY}\Pins\In"
        ${Else}
            StrCpy $1 "${CLASS_KEY}\Pins\Out"
        ${EndIf}
        WriteRegDWORD HKLM $1 "AllowedMany" 0
        WriteRegDWORD HKLM $1 "AllowedZero" 0
        WriteRegDWORD HKLM $1 "Direction" $0
        WriteRegDWORD HKLM $1 "IsRendered" 0
        ; The media type's key holds no value: one is written to create it, then removed.
        StrCpy $2 "$1\Types\{73647561-0000-0010-8000-00AA00389B71}"
        WriteRegStr HKLM "$2\{00000000-0000-0000-0000-000000000000}" "" ""
        DeleteRegValue HKLM "$2\{00000000-0000-0000-0000-000000000000}" ""
    ${Next}
    WriteRegStr HKLM "Software\Classes\Filter\${FILTER_CLSID}" "" "${PRODUCT}"
    WriteRegStr HKLM "${MAPPER_KEY}" "CLSID" "${FILTER_CLSID}"
    WriteRegStr HKLM "${MAPPER_KEY}" "FriendlyName" "${PRODUCT}"
    WriteRegBin HKLM "${MAPPER_KEY}" "FilterData" ${FILTER_DATA}
    SetRegView 64
FunctionEnd

; Removes the classes of one registry view, whether or not the library's own unregistration ran.
!macro RemoveClasses view
    SetRegView ${view}
    DeleteRegKey HKLM "${CLASS_KEY}"
    DeleteRegKey HKLM "Software\Classes\CLSID\${PAGE_CLSID}"
    DeleteRegKey HKLM "Software\Classes\Filter\${FILTER_CLSID}"
    DeleteRegKey HKLM "${MAPPER_KEY}"
    ; Parents that the registration created, where no other program's keys are in them.
    DeleteRegKey /ifempty HKLM "Software\Classes\Filter"
    DeleteRegKey /ifempty HKLM "Software\Classes\CLSID\${FILTER_CATEGORY}\Instance"
    DeleteRegKey /ifempty HKLM "Software\Classes\CLSID\${FILTER_CATEGORY}"
!macroend

Section "Install"
    SetRegView 64
    SetOutPath "$INSTDIR"
    File "/oname=HalvernqvReverb.dll" "${DLL64}"
    File "/oname=HalvernqvReverb.chm" "${HELP}"
    File "/oname=dxhost.exe" "${DXHOST}"
    ; The 32-bit library in a folder of its own, with the help file beside it, where its editor
    ; looks; both libraries find the one bank through PluginPath.
    SetOutPath "$INSTDIR\x86"
    File "/oname=HalvernqvReverb.dll" "${DLL32}"
    File "/oname=HalvernqvReverb.chm" "${HELP}"
    SetOutPath "$INSTDIR"

    ; A bank the user has changed is kept; this version's factory bank then goes beside it.
    ${If} ${FileExists} "$INSTDIR\${BANK_NAME}"
        InitPluginsDir
        File "/oname=$PLUGINSDIR\${BANK_NAME}" "${BANK}"
        Push "$INSTDIR\${BANK_NAME}"
        Push "$PLUGINSDIR\${BANK_NAME}"
        Call CompareFiles
        Pop $0
        ${If} $0 == "same"
            Delete "$INSTDIR\${FACTORY_COPY}"
        ${Else}
            File "/oname=${FACTORY_COPY}" "${BANK}"
            StrCpy $0 "Your changed presets in $INSTDIR\${BANK_NAME} were kept."
            StrCpy $0 "$0 The factory presets of this version are in ${FACTORY_COPY} beside it."
            ${If} ${Silent}
                DetailPrint $0
            ${Else}
                MessageBox MB_OK|MB_ICONINFORMATION $0
            ${EndIf}
        ${EndIf}
    ${Else}
        File "/oname=${BANK_NAME}" "${BANK}"
    ${EndIf}

    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The 64-bit library registers itself in the 64-bit view.
    ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\HalvernqvReverb.dll"' $0
    ${If} $0 != 0
        MessageBox MB_OK|MB_ICONSTOP "HalvernqvReverb.dll could not be registered ($0)." /SD IDOK
        SetErrorLevel 3
        Abort
    ${EndIf}
    ; The 32-bit one with the 32-bit regsvr32, whose keys land in the 32-bit view; where that
    ; cannot start, its keys are written here.
    ClearErrors
    ExecWait '"$WINDIR\SysWOW64\regsvr32.exe" /s "$INSTDIR\x86\HalvernqvReverb.dll"' $0
    ${If} ${Errors}
        DetailPrint "No 32-bit regsvr32 runs here: the 32-bit library's keys are written directly."
        Call Write32BitRegistration
    ${ElseIf} $0 != 0
        MessageBox MB_OK|MB_ICONSTOP "x86\HalvernqvReverb.dll could not be registered ($0)." \
            /SD IDOK
        SetErrorLevel 3
        Abort
    ${EndIf}

    ; Both libraries read the bank from the program folder.
    SetRegView 32
    WriteRegStr HKLM "${CLASS_KEY}" "PluginPath" "$INSTDIR"
    SetRegView 64
    WriteRegStr HKLM "${CLASS_KEY}" "PluginPath" "$INSTDIR"

    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetRegView 64
    ExecWait '"$SYSDIR\regsvr32.exe" /u /s "$INSTDIR\HalvernqvReverb.dll"'
    ExecWait '"$WINDIR\SysWOW64\regsvr32.exe" /u /s "$INSTDIR\x86\HalvernqvReverb.dll"'
    !insertmacro RemoveClasses 32
    !insertmacro RemoveClasses 64
    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    Delete "$INSTDIR\HalvernqvReverb.dll"
    Delete "$INSTDIR\HalvernqvReverb.chm"
    Delete "$INSTDIR\dxhost.exe"
    Delete "$INSTDIR\x86\HalvernqvReverb.dll"
    Delete "$INSTDIR\x86\HalvernqvReverb.chm"
    RMDir "$INSTDIR\x86"
    Delete "$INSTDIR\${FACTORY_COPY}"
    ; The bank goes only while it is the factory bank this version installed; a bank the user
    ; changed stays in the folder.
    InitPluginsDir
    File "/oname=$PLUGINSDIR\${BANK_NAME}" "${BANK}"
    Push "$INSTDIR\${BANK_NAME}"
    Push "$PLUGINSDIR\${BANK_NAME}"
    Call un.CompareFiles
    Pop $0
    ${If} $0 == "same"
        Delete "$INSTDIR\${BANK_NAME}"
    ${ElseIf} ${FileExists} "$INSTDIR\${BANK_NAME}"
        DetailPrint "Your changed presets stay in $INSTDIR\${BANK_NAME}."
    ${EndIf}
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    ; The publisher's folder of the default location goes when nothing else is in it.
    ${GetParent} "$INSTDIR" $0
    ${GetFileName} $0 $1
    ${If} $1 == "Halvern"
        RMDir $0
    ${EndIf}
SectionEnd
