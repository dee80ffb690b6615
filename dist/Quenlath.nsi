; The Quenlath installer, Quenlath-setup.exe. The build passes the files and the version:
;   makensis -INPUTCHARSET UTF8 -DVERSION="V3.02L10 M00" -DVERSION_NUMBERS=3.2.1000.0
;            -DMORVESSA_EXE=<path> -DASSIGN_BAT=<path> -DICON=<path> -DOUTFILE=<path>
;            Quenlath.nsi
; with absolute paths (makensis works in the script's folder)
; (dist/CMakeLists.txt reads both versions from the program's version block.)
;
; It installs Morvessa.exe and assign.bat where the program looks for the batch file,
; "<32-bit program files>\Korvane\morvessa", records VERSION for the About box under
; HKLM\SOFTWARE\Korvane\Morvessa in the 32-bit registry view (the view the 32-bit program
; reads), adds a Start-menu shortcut for all users and an entry in the installed programs.
; /S installs or uninstalls silently.

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma

!ifndef VERSION | VERSION_NUMBERS | MORVESSA_EXE | ASSIGN_BAT | ICON | OUTFILE
  !error "Pass VERSION, VERSION_NUMBERS, MORVESSA_EXE, ASSIGN_BAT, ICON and OUTFILE with -D."
!endif

!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT_KEY "SOFTWARE\Korvane\Morvessa"
!define COMPANY_KEY "SOFTWARE\Korvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenlath"
!define COMPANY_FOLDER "$PROGRAMFILES32\Korvane"
; The program starts "%ProgramFiles%\Korvane\morvessa\assign.bat": the folder is fixed.
!define PROGRAM_FOLDER "${COMPANY_FOLDER}\morvessa"
!define SHORTCUT "$SMPROGRAMS\Quenlath.lnk"

Name "Quenlath"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
InstallDir "${PROGRAM_FOLDER}"
BrandingText "Korvane"

VIProductVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 "ProductName" "Quenlath"
VIAddVersionKey /LANG=1033 "CompanyName" "Korvane"
VIAddVersionKey /LANG=1033 "FileDescription" "Quenlath setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright © 2026 Korvane"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The chosen language is kept in the installed-programs entry, which the uninstaller
; removes, so that it speaks the same language and leaves nothing behind.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"

!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString WelcomeText ${LANG_ENGLISH} "Setup will install Quenlath ${VERSION} on this computer.$\r$\n$\r$\nQuenlath changes the drive letter of the computer's internal optical disc drive. An administrator starts it from the Start menu.$\r$\n$\r$\n$_CLICK"
LangString WelcomeText ${LANG_FRENCH} "Cet assistant va installer Quenlath ${VERSION} sur cet ordinateur.$\r$\n$\r$\nQuenlath change la lettre du lecteur de disque optique interne de l’ordinateur. Un administrateur le lance depuis le menu Démarrer.$\r$\n$\r$\n$_CLICK"
LangString WelcomeText ${LANG_JAPANESE} "Quenlath ${VERSION} をこのコンピューターにインストールします。$\r$\n$\r$\nQuenlath は、コンピューターの内蔵光ディスク ドライブのドライブ文字を変更します。管理者が [スタート] メニューから起動します。$\r$\n$\r$\n$_CLICK"
LangString WelcomeText ${LANG_SIMPCHINESE} "安装程序将在此计算机上安装 Quenlath ${VERSION}。$\r$\n$\r$\nQuenlath 用于更改计算机内置光盘驱动器的驱动器号。请由管理员从“开始”菜单启动它。$\r$\n$\r$\n$_CLICK"

LangString FinishText ${LANG_ENGLISH} "Quenlath is installed.$\r$\n$\r$\nTo change the drive letter, start Quenlath from the Start menu, choose the new letter and press OK. To remove it, use Installed apps (Programs and Features)."
LangString FinishText ${LANG_FRENCH} "Quenlath est installé.$\r$\n$\r$\nPour changer la lettre de lecteur, lancez Quenlath depuis le menu Démarrer, choisissez la nouvelle lettre et appuyez sur OK. Pour le supprimer, passez par Applications installées (Programmes et fonctionnalités)."
LangString FinishText ${LANG_JAPANESE} "Quenlath のインストールが完了しました。$\r$\n$\r$\nドライブ文字を変更するには、[スタート] メニューから Quenlath を起動し、新しいドライブ文字を選んで [OK] を押します。削除するには [インストールされているアプリ] ([プログラムと機能]) を使います。"
LangString FinishText ${LANG_SIMPCHINESE} "Quenlath 已安装。$\r$\n$\r$\n要更改驱动器号，请从“开始”菜单启动 Quenlath，选择新的驱动器号，然后按“确定”。要删除它，请使用“已安装的应用”（“程序和功能”）。"

LangString ShortcutText ${LANG_ENGLISH} "Changes the drive letter of the internal optical disc drive"
LangString ShortcutText ${LANG_FRENCH} "Change la lettre du lecteur de disque optique interne"
LangString ShortcutText ${LANG_JAPANESE} "内蔵光ディスク ドライブのドライブ文字を変更します"
LangString ShortcutText ${LANG_SIMPCHINESE} "更改内置光盘驱动器的驱动器号"

LangString NeedAdmin ${LANG_ENGLISH} "Administrator's rights are needed to install or remove Quenlath."
LangString NeedAdmin ${LANG_FRENCH} "L’installation ou la suppression de Quenlath nécessite des droits d’administrateur."
LangString NeedAdmin ${LANG_JAPANESE} "Quenlath のインストールまたは削除には管理者権限が必要です。"
LangString NeedAdmin ${LANG_SIMPCHINESE} "安装或删除 Quenlath 需要管理员权限。"

; Without administrator rights nothing is written; the exit code is Windows' "the
; requested operation requires elevation".
!macro REQUIRE_ADMINISTRATOR
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "$(NeedAdmin)" /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

; The registry view and the shell folders of both the installer and the uninstaller.
!macro USE_MACHINE_WIDE_PLACES
  SetRegView 32
  SetShellVarContext all
!macroend

Function .onInit
  !insertmacro USE_MACHINE_WIDE_PLACES
  !insertmacro MUI_LANGDLL_DISPLAY
  !insertmacro REQUIRE_ADMINISTRATOR
FunctionEnd

Section "Quenlath"
  ; /D= on the command line cannot move the program: it finds assign.bat only here.
  StrCpy $INSTDIR "${PROGRAM_FOLDER}"
  SetOutPath "$INSTDIR"
  File "/oname=Morvessa.exe" "${MORVESSA_EXE}"
  File "/oname=assign.bat" "${ASSIGN_BAT}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${PRODUCT_KEY}" "VERSION" "${VERSION}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\Morvessa.exe" "" "$INSTDIR\Morvessa.exe" 0 \
      SW_SHOWNORMAL "" "$(ShortcutText)"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quenlath"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Korvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Morvessa.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  !insertmacro USE_MACHINE_WIDE_PLACES
  !insertmacro MUI_UNGETLANGUAGE
  !insertmacro REQUIRE_ADMINISTRATOR
FunctionEnd

; Removes what the installer made, and HideMsg, which the program writes; the product key
; and the company key only when nothing else is left in them.
Section "Uninstall"
  Delete "${PROGRAM_FOLDER}\Morvessa.exe"
  Delete "${PROGRAM_FOLDER}\assign.bat"
  Delete "${PROGRAM_FOLDER}\uninstall.exe"
  RMDir "${PROGRAM_FOLDER}"
  RMDir "${COMPANY_FOLDER}"
  Delete "${SHORTCUT}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegValue HKLM "${PRODUCT_KEY}" "VERSION"
  DeleteRegValue HKLM "${PRODUCT_KEY}" "HideMsg"
  DeleteRegKey /ifempty HKLM "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKLM "${COMPANY_KEY}"
SectionEnd
