; Orvalin's installer. Per-user by default (no administrator rights, the user's own programs
; folder); per-machine under Program Files when the user chooses it and is elevated.
; makensis -DVERSION=3.2.0.0 -DBINDIR=<build folder> -DOUTFILE=<setup.exe> orvalin.nsi
; BINDIR holds orvalin.exe, license.txt, Languages\, icons\orvalin.ico and installer\files.nsh
; (the list of language files, written by the build).
; 64-bit like the program, so a 64-bit-only Windows (or Wine prefix) runs it too.
Target amd64-unicode
SetCompressor /SOLID lzma
; No file dates in the data: two builds of one commit give the same installer.
SetDateSave off
!ifndef VERSION
  !error "VERSION is not set"
!endif

!define APPNAME "Orvalin"
!define PUBLISHER "QUENZAL"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvalin"

Name "${APPNAME}"
OutFile "${OUTFILE}"
BrandingText "${APPNAME} ${VERSION}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${APPNAME}"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${BINDIR}\installer\files.nsh"
; The install-mode macros above want "highest", which makes Windows ask an administrator for
; elevation before the first page. Orvalin installs per user without it; started elevated ("Run
; as administrator"), the installer offers the per-machine choice as well.
RequestExecutionLevel user

!define MUI_ICON "${BINDIR}\icons\orvalin.ico"
!define MUI_UNICON "${BINDIR}\icons\orvalin.ico"
!define MUI_ABORTWARNING
; Two plain choices (the program, a desktop shortcut): no description box beside them.
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\orvalin.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${BINDIR}\license.txt"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${APPNAME}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${APPNAME} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

; A running Orvalin holds orvalin.exe open: ask the user to close it instead of failing half-way.
; It is running while its window exists or while it holds its single-instance mutex (also while
; it starts, before the window is there, or while it is hidden in the notification area).
; Silent, the answer is to give up with exit code 2.
!macro WAIT_FOR_CLOSED
  ${Do}
    FindWindow $0 "TAppForm"
    ${If} $0 == 0
      ; SYNCHRONIZE access is enough to learn that the mutex exists.
      System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "QUENZAL_Orvalin") p .r1'
      ${If} $1 != 0
        System::Call 'kernel32::CloseHandle(p r1)'
        StrCpy $0 1
      ${EndIf}
    ${EndIf}
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    IfSilent 0 +3
      SetErrorLevel 2
      Quit
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Orvalin is running. Please close it, then choose Retry." IDRETRY +3
      SetErrorLevel 2
      Quit
  ${Loop}
!macroend

Function .onInit
  !insertmacro MULTIUSER_INIT
  !insertmacro WAIT_FOR_CLOSED
FunctionEnd

Function un.onInit
  ; A per-machine install is removed with administrator rights: ask for them (the uninstaller is
  ; not marked to require them, as the installer is not).
  ${un.GetParameters} $R0
  ClearErrors
  ${un.GetOptions} $R0 "/AllUsers" $R1
  ${IfNot} ${Errors}
    UserInfo::GetAccountType
    Pop $R1
    ${If} $R1 != "Admin"
      StrCpy $R1 "/AllUsers"
      IfSilent 0 +2
        StrCpy $R1 "/AllUsers /S"
      ExecShell "runas" '"$INSTDIR\uninstall.exe"' "$R1"
      Quit
    ${EndIf}
  ${EndIf}
  !insertmacro MULTIUSER_UNINIT
  !insertmacro WAIT_FOR_CLOSED
FunctionEnd

Section "Orvalin (required)" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${BINDIR}\orvalin.exe"
  File "${BINDIR}\license.txt"
  SetOutPath "$INSTDIR\Languages"
  !insertmacro INSTALL_LANGUAGE_FILES
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Orvalin.lnk" "$INSTDIR\orvalin.exe"
  ; Apps & Features, in the hive of the install mode.
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayName" "${APPNAME}"
  WriteRegStr SHCTX "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\orvalin.exe,0"
  WriteRegStr SHCTX "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINSTKEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "Desktop shortcut" SecDesktop
  CreateShortCut "$DESKTOP\Orvalin.lnk" "$INSTDIR\orvalin.exe"
SectionEnd

; Only what the installer put there: settings.ini and the user's macros stay.
Section "Uninstall"
  Delete "$INSTDIR\orvalin.exe"
  Delete "$INSTDIR\license.txt"
  !insertmacro UNINSTALL_LANGUAGE_FILES
  RMDir "$INSTDIR\Languages"
  Delete "$SMPROGRAMS\Orvalin.lnk"
  Delete "$DESKTOP\Orvalin.lnk"
  DeleteRegKey SHCTX "${UNINSTKEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
