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
; Only SYSTEM and Administrators may change what it installs; assign.bat and the lock
; folder beside it, where assign.bat keeps its lock, are theirs alone.
; /S installs or uninstalls silently. Exit codes of both: 0 done; 1 cancelled by the user;
; 2 a file could not be written or removed (the install records nothing, the uninstall
; keeps the record); 3 Quenlath is running (nothing changed); 740 no administrator rights
; (nothing changed). Setup only: 4 a newer version is installed (nothing changed; a silent
; setup installs the older one over it only with /ALLOWDOWNGRADE, an interactive one asks).
; Uninstaller only: 3010 uninstalled, but a file is left for the next restart to remove.

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
; Two builds of the same sources give the same installer: no build dates are stored with
; the files (they are installed with the date of installation).
SetDateSave off

!ifndef VERSION | VERSION_NUMBERS | MORVESSA_EXE | ASSIGN_BAT | ICON | OUTFILE
  !error "Pass VERSION, VERSION_NUMBERS, MORVESSA_EXE, ASSIGN_BAT, ICON and OUTFILE with -D."
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT_KEY "SOFTWARE\Korvane\Morvessa"
!define COMPANY_KEY "SOFTWARE\Korvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenlath"
!define COMPANY_FOLDER "$PROGRAMFILES32\Korvane"
; The program starts "%ProgramFiles%\Korvane\morvessa\assign.bat": the folder is fixed.
!define PROGRAM_FOLDER "${COMPANY_FOLDER}\morvessa"
!define SHORTCUT "$SMPROGRAMS\Quenlath.lnk"
; assign.bat keeps its lock file and mountvol's listing here.
!define LOCK_FOLDER "${PROGRAM_FOLDER}\lock"

; The four parts of the version, and the two file-version DWORDs they make.
!searchparse /noerrors "${VERSION_NUMBERS}" "" VERSION_MAJOR "." VERSION_MINOR "." VERSION_BUILD "." VERSION_REVISION
!ifndef VERSION_REVISION
  !error "VERSION_NUMBERS must have four parts, such as 3.2.1000.0."
!endif
!define /math VERSION_HIGH_SHIFTED ${VERSION_MAJOR} << 16
!define /math VERSION_HIGH ${VERSION_HIGH_SHIFTED} | ${VERSION_MINOR}
!define /math VERSION_LOW_SHIFTED ${VERSION_BUILD} << 16
!define /math VERSION_LOW ${VERSION_LOW_SHIFTED} | ${VERSION_REVISION}

; Owners and DACLs, as SDDL. The company folder: SYSTEM and Administrators full control,
; Users read and execute, inherited by everything below, nothing inherited from Program
; Files. The lock folder and assign.bat: SYSTEM and Administrators only, so that no user
; can create, link or hold open anything a change uses.
!define SDDL_COMPANY_FOLDER "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
!define SDDL_LOCK_FOLDER "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)"
!define SDDL_ADMINISTRATORS_FILE "O:BAD:PAI(A;;FA;;;SY)(A;;FA;;;BA)"
; Administrators as owner and only what the folder above passes on: this drops whatever
; someone who created the file or folder first gave themselves.
!define SDDL_INHERITED "O:BAD:AI"
; SetNamedSecurityInfoW's owner and DACL, the DACL protected from or open to inheritance.
!define OWNER_AND_PROTECTED_DACL 0x80000005
!define OWNER_AND_INHERITED_DACL 0x20000005
!define FILE_ATTRIBUTE_REPARSE_POINT 0x400

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

LangString WelcomeText ${LANG_ENGLISH} "Setup will install Quenlath ${VERSION} on this computer.$\r$\n$\r$\nQuenlath changes the drive letter of the computer's internal optical disc drive. Start it from the Start menu; administrator rights are required.$\r$\n$\r$\n$_CLICK"
LangString WelcomeText ${LANG_FRENCH} "Cet assistant va installer Quenlath ${VERSION} sur cet ordinateur.$\r$\n$\r$\nQuenlath change la lettre du lecteur de disque optique interne de l’ordinateur. Lancez-le depuis le menu Démarrer ; des droits d’administrateur sont nécessaires.$\r$\n$\r$\n$_CLICK"
LangString WelcomeText ${LANG_JAPANESE} "Quenlath ${VERSION} をこのコンピューターにインストールします。$\r$\n$\r$\nQuenlath は、コンピューターの内蔵光ディスク ドライブのドライブ文字を変更します。[スタート] メニューから起動します (管理者権限が必要です)。$\r$\n$\r$\n$_CLICK"
LangString WelcomeText ${LANG_SIMPCHINESE} "安装程序将在此计算机上安装 Quenlath ${VERSION}。$\r$\n$\r$\nQuenlath 用于更改计算机内置光盘驱动器的驱动器号。需由管理员从“开始”菜单启动。$\r$\n$\r$\n$_CLICK"

LangString FinishText ${LANG_ENGLISH} "Quenlath is installed.$\r$\n$\r$\nTo change the drive letter, start Quenlath from the Start menu, choose the new letter and click OK. To uninstall it, use Settings > Apps > Installed apps (or Programs and Features)."
LangString FinishText ${LANG_FRENCH} "Quenlath est installé.$\r$\n$\r$\nPour changer la lettre de lecteur, lancez Quenlath depuis le menu Démarrer, choisissez la nouvelle lettre et cliquez sur OK. Pour le désinstaller, utilisez Paramètres > Applications > Applications installées (ou Programmes et fonctionnalités)."
LangString FinishText ${LANG_JAPANESE} "Quenlath のインストールが完了しました。$\r$\n$\r$\nドライブ文字を変更するには、[スタート] メニューから Quenlath を起動し、新しいドライブ文字を選択して [OK] をクリックします。アンインストールするには [インストールされているアプリ] ([プログラムと機能]) を使用します。"
LangString FinishText ${LANG_SIMPCHINESE} "Quenlath 已安装。$\r$\n$\r$\n要更改驱动器号，请从“开始”菜单启动 Quenlath，选择新的驱动器号，然后单击“确定”。要卸载 Quenlath，请使用“已安装的应用”（或“程序和功能”）。"

LangString ShortcutText ${LANG_ENGLISH} "Changes the drive letter of the internal optical disc drive"
LangString ShortcutText ${LANG_FRENCH} "Change la lettre du lecteur de disque optique interne"
LangString ShortcutText ${LANG_JAPANESE} "内蔵光ディスク ドライブのドライブ文字を変更します"
LangString ShortcutText ${LANG_SIMPCHINESE} "更改内置光盘驱动器的驱动器号"

LangString NeedAdmin ${LANG_ENGLISH} "Administrator rights are required to install or uninstall Quenlath."
LangString NeedAdmin ${LANG_FRENCH} "L’installation ou la désinstallation de Quenlath nécessite des droits d’administrateur."
LangString NeedAdmin ${LANG_JAPANESE} "インストールまたはアンインストールには管理者権限が必要です。"
LangString NeedAdmin ${LANG_SIMPCHINESE} "安装或卸载 Quenlath 需要管理员权限。"

LangString ProgramRunning ${LANG_ENGLISH} "Quenlath is running. Close it, then try again."
LangString ProgramRunning ${LANG_FRENCH} "Quenlath est en cours d’exécution. Fermez-le, puis réessayez."
LangString ProgramRunning ${LANG_JAPANESE} "Quenlath が実行中です。Quenlath を終了してから、もう一度実行してください。"
LangString ProgramRunning ${LANG_SIMPCHINESE} "Quenlath 正在运行。请将其关闭，然后重试。"

LangString NotWritten ${LANG_ENGLISH} "Setup could not write $0. Quenlath is not completely installed: close the program that uses the file, or restart the computer, and run Setup again."
LangString NotWritten ${LANG_FRENCH} "Le programme d’installation n’a pas pu écrire $0. Quenlath n’est pas entièrement installé : fermez le programme qui utilise ce fichier, ou redémarrez l’ordinateur, puis relancez l’installation."
LangString NotWritten ${LANG_JAPANESE} "$0 を書き込めませんでした。Quenlath のインストールは完了していません。このファイルを使用しているプログラムを終了するか、コンピューターを再起動してから、もう一度セットアップを実行してください。"
LangString NotWritten ${LANG_SIMPCHINESE} "无法写入 $0。Quenlath 未完全安装。请关闭正在使用该文件的程序或重新启动计算机，然后再次运行安装程序。"

LangString NotRemoved ${LANG_ENGLISH} "$0 could not be removed. Quenlath is still installed: close the program that uses the file, or restart the computer, and uninstall it again."
LangString NotRemoved ${LANG_FRENCH} "Impossible de supprimer $0. Quenlath est toujours installé : fermez le programme qui utilise ce fichier, ou redémarrez l’ordinateur, puis désinstallez-le de nouveau."
LangString NotRemoved ${LANG_JAPANESE} "$0 を削除できませんでした。Quenlath はまだインストールされています。このファイルを使用しているプログラムを終了するか、コンピューターを再起動してから、もう一度アンインストールしてください。"
LangString NotRemoved ${LANG_SIMPCHINESE} "无法删除 $0。Quenlath 仍处于安装状态。请关闭正在使用该文件的程序或重新启动计算机，然后再次卸载。"

LangString NewerInstalled ${LANG_ENGLISH} "A newer version of Quenlath is installed on this computer. Do you want to replace it with the older version ${VERSION}?"
LangString NewerInstalled ${LANG_FRENCH} "Une version plus récente de Quenlath est installée sur cet ordinateur. Voulez-vous la remplacer par la version antérieure ${VERSION} ?"
LangString NewerInstalled ${LANG_JAPANESE} "このコンピューターには、より新しいバージョンの Quenlath がインストールされています。古いバージョン ${VERSION} で置き換えますか?"
LangString NewerInstalled ${LANG_SIMPCHINESE} "此计算机上已安装较新版本的 Quenlath。是否要将其替换为较旧的版本 ${VERSION}？"

LangString RestartNeeded ${LANG_ENGLISH} "Quenlath has been uninstalled. A file that another program was using will be removed when the computer restarts."
LangString RestartNeeded ${LANG_FRENCH} "Quenlath a été désinstallé. Un fichier qu’un autre programme utilisait sera supprimé au redémarrage de l’ordinateur."
LangString RestartNeeded ${LANG_JAPANESE} "Quenlath はアンインストールされました。別のプログラムが使用していたファイルは、コンピューターの再起動時に削除されます。"
LangString RestartNeeded ${LANG_SIMPCHINESE} "Quenlath 已卸载。另一个程序正在使用的文件将在计算机重新启动时删除。"

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

; A running Morvessa.exe holds this mutex (another user's copy denies access to it), and
; its files can be neither replaced nor removed.
!macro REFUSE_WHILE_RUNNING
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Global\MorvessaTool") p.r0 ?e'
  Pop $1
  ${If} $0 P<> 0
  ${OrIf} $1 = 5
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_OK|MB_ICONSTOP "$(ProgramRunning)" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
!macroend

; Stops with exit code 2 when the error flag says the step on ${PLACE} failed: a file that
; could not be written, before anything is recorded, or removed, while the record stays.
!macro STOP_ON_ERROR MESSAGE PLACE
  ${If} ${Errors}
    StrCpy $0 "${PLACE}"
    MessageBox MB_OK|MB_ICONSTOP "$(${MESSAGE})" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
!macroend

; A newer Morvessa.exe in the program folder (by its four-part file version) is replaced by
; this older one only when /ALLOWDOWNGRADE is given or the user agrees; otherwise setup
; ends with exit code 4 and nothing changed.
!macro REFUSE_DOWNGRADE
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLOWDOWNGRADE" $1
  ${If} ${Errors}
    Call IsNewerInstalled
    Pop $0
    ${If} $0 = 1
    ${AndIfNot} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION "$(NewerInstalled)" /SD IDNO IDYES`
      SetErrorLevel 4
      Quit
    ${EndIf}
  ${EndIf}
!macroend

; Pushes 1 when the installed Morvessa.exe has a later file version than this setup's,
; else 0 (also when there is none).
Function IsNewerInstalled
  ClearErrors
  GetDLLVersion "${PROGRAM_FOLDER}\Morvessa.exe" $0 $1
  ${If} ${Errors}
    Push 0
  ${ElseIf} $0 U> ${VERSION_HIGH}
    Push 1
  ${ElseIf} $0 = ${VERSION_HIGH}
  ${AndIf} $1 U> ${VERSION_LOW}
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd

; Gives the file or folder the owner and DACL of the SDDL text, through the security API
; (the same on every Windows from XP on); a failure stops setup with exit code 2.
!macro SECURE PATH SDDL INFORMATION
  Push "${PATH}"
  Push "${SDDL}"
  Push ${INFORMATION}
  Call SetOwnerAndDacl
  !insertmacro STOP_ON_ERROR NotWritten "${PATH}"
!macroend

; Sets the error flag when the security descriptor could not be built or set, and leaves
; alone a path that is missing or a reparse point: a junction planted there would pass the
; DACL on to the folder it points to, and to everything below that.
Function SetOwnerAndDacl
  Pop $2 ; which parts: OWNER_AND_PROTECTED_DACL or OWNER_AND_INHERITED_DACL
  Pop $1 ; SDDL
  Pop $0 ; path
  System::Call 'kernel32::GetFileAttributesW(w r0) i .r4'
  IntOp $4 $4 & ${FILE_ATTRIBUTE_REPARSE_POINT} ; (INVALID_FILE_ATTRIBUTES has it too)
  ${If} $4 <> 0
    SetErrors
    Return
  ${EndIf}
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w r1, i 1, *p .r3, p 0) i .r4'
  ${If} $4 = 0
    SetErrors
    Return
  ${EndIf}
  System::Call 'advapi32::GetSecurityDescriptorOwner(p r3, *p .r5, *i .r6)'
  System::Call 'advapi32::GetSecurityDescriptorDacl(p r3, *i .r6, *p .r7, *i .r6)'
  System::Call 'advapi32::SetNamedSecurityInfoW(w r0, i 1, i r2, p r5, p 0, p r7, p 0) i .r4'
  System::Call 'kernel32::LocalFree(p r3)'
  ${If} $4 <> 0
    SetErrors
  ${EndIf}
FunctionEnd

; The registry view and the shell folders of both the installer and the uninstaller.
!macro USE_MACHINE_WIDE_PLACES
  SetRegView 32
  SetShellVarContext all
!macroend

Function .onInit
  !insertmacro USE_MACHINE_WIDE_PLACES
  !insertmacro MUI_LANGDLL_DISPLAY
  !insertmacro REQUIRE_ADMINISTRATOR
  !insertmacro REFUSE_WHILE_RUNNING
  !insertmacro REFUSE_DOWNGRADE
FunctionEnd

Section "Quenlath"
  ; /D= on the command line cannot move the program: it finds assign.bat only here.
  StrCpy $INSTDIR "${PROGRAM_FOLDER}"
  ClearErrors
  ; The company folder is secured before anything is written below it, also when it was
  ; there before (someone else may have created it); the program folder and the files
  ; then hold only what it passes on, assign.bat and the lock folder nothing for users.
  CreateDirectory "${COMPANY_FOLDER}"
  !insertmacro SECURE "${COMPANY_FOLDER}" "${SDDL_COMPANY_FOLDER}" ${OWNER_AND_PROTECTED_DACL}
  SetOutPath "$INSTDIR"
  !insertmacro SECURE "$INSTDIR" "${SDDL_INHERITED}" ${OWNER_AND_INHERITED_DACL}
  CreateDirectory "${LOCK_FOLDER}"
  !insertmacro SECURE "${LOCK_FOLDER}" "${SDDL_LOCK_FOLDER}" ${OWNER_AND_PROTECTED_DACL}
  ; Each file is removed before it is written, so that it is a new file: writing over a
  ; hard link or a symbolic link someone placed there would write into its target.
  Delete "$INSTDIR\Morvessa.exe"
  File "/oname=Morvessa.exe" "${MORVESSA_EXE}"
  !insertmacro STOP_ON_ERROR NotWritten "$INSTDIR\Morvessa.exe"
  !insertmacro SECURE "$INSTDIR\Morvessa.exe" "${SDDL_INHERITED}" ${OWNER_AND_INHERITED_DACL}
  Delete "$INSTDIR\assign.bat"
  File "/oname=assign.bat" "${ASSIGN_BAT}"
  !insertmacro STOP_ON_ERROR NotWritten "$INSTDIR\assign.bat"
  !insertmacro SECURE "$INSTDIR\assign.bat" "${SDDL_ADMINISTRATORS_FILE}" ${OWNER_AND_PROTECTED_DACL}
  Delete "$INSTDIR\uninstall.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !insertmacro STOP_ON_ERROR NotWritten "$INSTDIR\uninstall.exe"
  !insertmacro SECURE "$INSTDIR\uninstall.exe" "${SDDL_INHERITED}" ${OWNER_AND_INHERITED_DACL}
  CreateShortcut "${SHORTCUT}" "$INSTDIR\Morvessa.exe" "" "$INSTDIR\Morvessa.exe" 0 \
      SW_SHOWNORMAL "" "$(ShortcutText)"
  !insertmacro STOP_ON_ERROR NotWritten "${SHORTCUT}"

  ; Recorded only now that every file is in place.
  WriteRegStr HKLM "${PRODUCT_KEY}" "VERSION" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quenlath"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Korvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Morvessa.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  ; _?= makes the uninstaller run in place, so that whoever starts it gets its exit code.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
  ; For deployment tools' "version at least" rules; DisplayVersion is the text above.
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  !insertmacro STOP_ON_ERROR NotWritten "HKLM\${UNINSTALL_KEY}"
SectionEnd

Function un.onInit
  !insertmacro USE_MACHINE_WIDE_PLACES
  !insertmacro MUI_UNGETLANGUAGE
  !insertmacro REQUIRE_ADMINISTRATOR
  !insertmacro REFUSE_WHILE_RUNNING
FunctionEnd

; Set by the uninstaller when a file other than its own is left for the next restart.
Var FileLeftForRestart

; Removes what the installer made, and HideMsg, which the program writes; the product key
; and the company key only when nothing else is left in them. The installed-programs
; entry goes last, once the files are gone: a file that cannot be removed stops the
; uninstall with the entry kept, so that it can be run again.
Section "Uninstall"
  ClearErrors
  ; The lock folder first: a change in progress holds its lock file, and then nothing is
  ; removed (assign.bat taken away halfway could leave the drive without a letter).
  ${If} ${FileExists} "${LOCK_FOLDER}\*"
    Delete "${LOCK_FOLDER}\assign.lock"
    Delete "${LOCK_FOLDER}\mountvol.txt"
    RMDir "${LOCK_FOLDER}"
    !insertmacro STOP_ON_ERROR NotRemoved "${LOCK_FOLDER}"
  ${EndIf}
  Delete "${PROGRAM_FOLDER}\Morvessa.exe"
  !insertmacro STOP_ON_ERROR NotRemoved "${PROGRAM_FOLDER}\Morvessa.exe"
  Delete "${PROGRAM_FOLDER}\assign.bat"
  !insertmacro STOP_ON_ERROR NotRemoved "${PROGRAM_FOLDER}\assign.bat"
  ; Any user may read the shortcut, and so hold it open: it goes at the restart then.
  Delete /REBOOTOK "${SHORTCUT}"
  !insertmacro STOP_ON_ERROR NotRemoved "${SHORTCUT}"
  ${If} ${RebootFlag}
    StrCpy $FileLeftForRestart 1
  ${EndIf}
  ; Started with _?=, the uninstaller runs from this folder and cannot remove itself now.
  ; That alone does not count as a restart needed: nothing of Quenlath is left to run.
  Delete /REBOOTOK "${PROGRAM_FOLDER}\uninstall.exe"
  RMDir /REBOOTOK "${PROGRAM_FOLDER}"
  RMDir /REBOOTOK "${COMPANY_FOLDER}"

  DeleteRegValue HKLM "${PRODUCT_KEY}" "VERSION"
  DeleteRegValue HKLM "${PRODUCT_KEY}" "HideMsg"
  DeleteRegKey /ifempty HKLM "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKLM "${COMPANY_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${If} $FileLeftForRestart = 1
    MessageBox MB_OK|MB_ICONINFORMATION "$(RestartNeeded)" /SD IDOK
    SetErrorLevel 3010
  ${EndIf}
SectionEnd
