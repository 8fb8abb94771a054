; The KVX installer, built on Linux with makensis from the runnable folder:
;   makensis -DDIST=<runnable folder> -DOUT=<installer path> -DVERSION=<version> KVX.nsi
; Installs the client for all users, adds a Start-menu entry, and leaves an uninstaller
; that removes only what it installed: the user's KVX.ini, Data and Logs stay.
; 64-bit like the client: it runs where the client runs, with no 32-bit layer needed.
Target amd64-unicode
RequestExecutionLevel admin
SetCompressor /SOLID lzma

Name "KVX ${VERSION}"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES64\KVX"
InstallDirRegKey HKLM "Software\KVX" "Folder"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KVX"

Section "KVX"
    SetOutPath "$INSTDIR"
    File "${DIST}\KVX.exe"
    File "${DIST}\*.dll"
    File "${DIST}\KVXPatch.exe"
    File "${DIST}\web.pal"
    SetOutPath "$INSTDIR\skins"
    File "${DIST}\skins\*.bmp"
    SetOutPath "$INSTDIR\ads"
    File "${DIST}\ads\*.ad"
    SetOutPath "$INSTDIR"
    ; A settings file of the user's own is never replaced.
    IfFileExists "$INSTDIR\KVX.ini" +2 0
    File "KVX.ini"

    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateDirectory "$SMPROGRAMS\KVX"
    CreateShortCut "$SMPROGRAMS\KVX\KVX.lnk" "$INSTDIR\KVX.exe" "" "$INSTDIR\KVX.exe" 0
    CreateShortCut "$SMPROGRAMS\KVX\Uninstall KVX.lnk" "$INSTDIR\Uninstall.exe"
    WriteRegStr HKLM "Software\KVX" "Folder" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "KVX"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
SectionEnd

Section "Uninstall"
    Delete "$INSTDIR\KVX.exe"
    Delete "$INSTDIR\KVXPatch.exe"
    Delete "$INSTDIR\*.dll"
    Delete "$INSTDIR\web.pal"
    Delete "$INSTDIR\skins\HiDef-*.bmp"
    Delete "$INSTDIR\skins\LoDef-*.bmp"
    RMDir "$INSTDIR\skins"
    ; The banners and the records the client writes for them; other ads stay.
    !macro RemoveAd N
        Delete "$INSTDIR\ads\ad00${N}.ad"
        Delete "$INSTDIR\ads\ad00${N}.adi"
    !macroend
    !insertmacro RemoveAd 0
    !insertmacro RemoveAd 1
    !insertmacro RemoveAd 2
    !insertmacro RemoveAd 3
    !insertmacro RemoveAd 4
    !insertmacro RemoveAd 5
    RMDir "$INSTDIR\ads"
    Delete "$INSTDIR\Uninstall.exe"
    Delete "$SMPROGRAMS\KVX\KVX.lnk"
    Delete "$SMPROGRAMS\KVX\Uninstall KVX.lnk"
    RMDir "$SMPROGRAMS\KVX"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "Software\KVX"
    ; Only when empty: KVX.ini, Data and Logs are the user's and stay.
    RMDir "$INSTDIR"
SectionEnd
