; The installer of Norvatessa настройка: 64-bit, Unicode, in Russian. It installs the window program, the
; console program, the help file and the readme for the current user (no administrator rights) or for
; all users of the computer, with a Start-menu entry, an uninstaller and the uninstall entry in the
; registry. For all users it also lets the controllers' replies through Windows Firewall (see
; AllowThroughFirewall); for the current user it cannot, and its finish page says so.
;
; Built by tools/package/CMakeLists.txt:
;   makensis -INPUTCHARSET UTF8 -DVERSION=x.y.z -DPROGRAM=... -DCLI=... -DHELP=... -DREADME=... -DOUTFILE=...
;            norvatessa.nsi
;
; The installer's command line:
;   /S             silent
;   /CurrentUser   for the current user (the default): %LOCALAPPDATA%\Programs\Norvatessa, HKCU
;   /AllUsers      for all users: Program Files\Norvatessa, HKLM; needs administrator rights, and a
;                  silent run without them ends with exit code 740
;   /D=FOLDER      another folder; last on the line and unquoted, as for every NSIS installer
; The uninstaller (uninstall.exe in the folder) takes /S; it finds out by itself which installation it
; belongs to.

!ifndef VERSION | PROGRAM | CLI | HELP | README | OUTFILE
    !error "VERSION, PROGRAM, CLI, HELP, README and OUTFILE must be defined with -D"
!endif

Unicode true
Target amd64-unicode
ManifestSupportedOS all
ManifestDPIAware true
; The installer starts without elevation; an install for all users asks for it (see ModePageLeave).
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define PRODUCT "Norvatessa настройка"
!define PUBLISHER "Norvatessa"
!define FOLDER "Norvatessa"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Norvatessa"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define MAIN_WINDOW_CLASS "NorvatessaMainFrame"
!define ERROR_ELEVATION_REQUIRED 740
; The inbound firewall rules of an installation for all users, one per program, named after it.
!define FIREWALL_RULE "Norvatessa настройка (norvatessa.exe)"
!define FIREWALL_RULE_CLI "Norvatessa настройка (norvatessa-cli.exe)"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Chosen in .onInit from the install mode, unless /D gave a folder.
InstallDir ""
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var Mode ; AllUsers or CurrentUser
Var IsAdmin
Var FolderGiven
Var RadioCurrentUser
Var RadioAllUsers
Var FinishText
Var FirewallAllowed ; 1 while every rule asked for was added

!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Программа установит ${PRODUCT} ${VERSION} — поиск и настройку контроллеров Norvatessa в локальной сети.$\r$\n$\r$\nЕсли программа уже запущена, закройте её перед установкой.$\r$\n$\r$\nНажмите «Далее», чтобы продолжить."
!insertmacro MUI_PAGE_WELCOME
Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; Set by the install section: what it could do about the firewall depends on the mode. Above the readme
; box the text has room for seven short lines.
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Показать readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Программа ${PRODUCT} будет удалена с компьютера. Копии настроек пользователей в папках %LOCALAPPDATA%\Norvatessa остаются."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Russian"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "Установка ${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "© ${PUBLISHER}"

; The controllers answer a search on UDP port 30303 of this computer. Windows asks once whether to let a
; program receive, and that answer covers one kind of network only; a controllers' network without
; internet is usually classed as public, and the replies are dropped there. A rule per program for every
; profile lets them through. Earlier rules of the same name and program go first, so that installing again
; does not add a second pair; removing one that is not there fails harmlessly.
!macro FirewallRequest ARGUMENTS
    DetailPrint `netsh advfirewall firewall ${ARGUMENTS}`
    nsExec::ExecToLog '"$SYSDIR\netsh.exe" advfirewall firewall ${ARGUMENTS}'
    Pop $0
!macroend

!macro AllowThroughFirewall RULE PROGRAM
    !insertmacro FirewallRequest 'delete rule name="${RULE}" program="${PROGRAM}"'
    !insertmacro FirewallRequest 'add rule name="${RULE}" dir=in action=allow program="${PROGRAM}" protocol=UDP profile=any'
    ${If} $0 != 0
        StrCpy $FirewallAllowed 0
        DetailPrint "Правило брандмауэра «${RULE}» не добавлено (код $0): добавьте его вручную, см. справку."
    ${EndIf}
!macroend

!macro RemoveFromFirewall RULE PROGRAM
    !insertmacro FirewallRequest 'delete rule name="${RULE}" program="${PROGRAM}"'
!macroend

; Whether this process may write to Program Files and HKLM.
!macro FindAdmin
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
        StrCpy $IsAdmin 1
    ${Else}
        StrCpy $IsAdmin 0
    ${EndIf}
!macroend

; Files cannot be replaced or removed while the program runs: ask the user to close it. A silent run
; cannot ask, and fails.
!macro DefineWaitForProgramClosed PREFIX
    Function ${PREFIX}WaitForProgramClosed
        check:
        FindWindow $0 "${MAIN_WINDOW_CLASS}"
        StrCmp $0 0 closed
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Программа ${PRODUCT} запущена. Закройте её и нажмите «Повтор»." /SD IDCANCEL IDRETRY check
        Abort "Программа ${PRODUCT} запущена."
        closed:
    FunctionEnd
!macroend
!insertmacro DefineWaitForProgramClosed ""
!insertmacro DefineWaitForProgramClosed "un."

; The shell folders, the registry root and (unless /D gave one) the folder of the chosen mode. An
; earlier installation of the same mode keeps its folder.
Function ApplyMode
    ${If} $Mode == AllUsers
        SetShellVarContext all
        ${If} $FolderGiven == 0
            ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
            ${If} $0 == ""
                StrCpy $0 "$PROGRAMFILES64\${FOLDER}"
            ${EndIf}
            StrCpy $INSTDIR $0
        ${EndIf}
    ${Else}
        SetShellVarContext current
        ${If} $FolderGiven == 0
            ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
            ${If} $0 == ""
                ; The user's own programs folder (FOLDERID_UserProgramFiles).
                GetKnownFolderPath $1 {5CD7AEE2-2219-4A67-B85D-6C9CE15660CB}
                ${If} $1 == ""
                    StrCpy $1 "$LOCALAPPDATA\Programs"
                ${EndIf}
                StrCpy $0 "$1\${FOLDER}"
            ${EndIf}
            StrCpy $INSTDIR $0
        ${EndIf}
    ${EndIf}
FunctionEnd

Function .onInit
    !insertmacro FindAdmin
    ${If} $INSTDIR == ""
        StrCpy $FolderGiven 0
    ${Else}
        StrCpy $FolderGiven 1
    ${EndIf}
    StrCpy $Mode CurrentUser
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/AllUsers" $R1
    ${IfNot} ${Errors}
        StrCpy $Mode AllUsers
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/CurrentUser" $R1
    ${IfNot} ${Errors}
        StrCpy $Mode CurrentUser
    ${EndIf}
    ${If} $Mode == AllUsers
    ${AndIf} $IsAdmin == 0
    ${AndIf} ${Silent}
        SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
        Quit
    ${EndIf}
    Call ApplyMode
FunctionEnd

Function ModePage
    !insertmacro MUI_HEADER_TEXT "Для кого установить программу" "Выберите, кто сможет запускать ${PRODUCT} на этом компьютере."
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateRadioButton} 0 0 100% 12u "Только для меня"
    Pop $RadioCurrentUser
    ${NSD_CreateLabel} 12u 14u -12u 20u "В вашу папку программ ($LOCALAPPDATA\Programs). Права администратора не нужны."
    Pop $0
    ${NSD_CreateRadioButton} 0 44u 100% 12u "Для всех пользователей компьютера"
    Pop $RadioAllUsers
    ${NSD_CreateLabel} 12u 58u -12u 20u "В папку $PROGRAMFILES64. Нужны права администратора: Windows спросит разрешение."
    Pop $0
    ${If} $Mode == AllUsers
        ${NSD_Check} $RadioAllUsers
    ${Else}
        ${NSD_Check} $RadioCurrentUser
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function ModePageLeave
    ${NSD_GetState} $RadioAllUsers $0
    ${If} $0 == ${BST_CHECKED}
        ${If} $IsAdmin == 0
            ; This process cannot write to Program Files: start the installer again as administrator,
            ; for all users, and end this one.
            ClearErrors
            ExecShell "runas" "$EXEPATH" "/AllUsers"
            ${If} ${Errors}
                MessageBox MB_OK|MB_ICONEXCLAMATION "Без прав администратора программу можно установить только для себя."
                Abort
            ${EndIf}
            Quit
        ${EndIf}
        StrCpy $Mode AllUsers
    ${Else}
        StrCpy $Mode CurrentUser
    ${EndIf}
    Call ApplyMode
FunctionEnd

Section "${PRODUCT}" SectionProgram
    Call WaitForProgramClosed
    SetOutPath "$INSTDIR"
    File "/oname=norvatessa.exe" "${PROGRAM}"
    File "/oname=norvatessa-cli.exe" "${CLI}"
    File "/oname=norvatessa.chm" "${HELP}"
    File "/oname=readme.txt" "${README}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ${If} $Mode == AllUsers
        StrCpy $FirewallAllowed 1
        !insertmacro AllowThroughFirewall "${FIREWALL_RULE}" "$INSTDIR\norvatessa.exe"
        !insertmacro AllowThroughFirewall "${FIREWALL_RULE_CLI}" "$INSTDIR\norvatessa-cli.exe"
    ${EndIf}
    !define FOR_ALL "${PRODUCT} установлена для всех пользователей. Запустите её из меню «Пуск».$\r$\n$\r$\n"
    !define SEE_HELP "Если список контроллеров останется пустым, см. справку, раздел «Контроллеры не найдены»."
    ${If} $Mode == AllUsers
    ${AndIf} $FirewallAllowed == 1
        StrCpy $FinishText "${FOR_ALL}Брандмауэр Windows пропускает ответы контроллеров обеим программам в сети любого типа."
    ${ElseIf} $Mode == AllUsers
        StrCpy $FinishText "${FOR_ALL}Правила брандмауэра Windows добавить не удалось. ${SEE_HELP}"
    ${Else}
        StrCpy $FinishText "${PRODUCT} установлена для вас. Запустите её из меню «Пуск».$\r$\n$\r$\nБез прав администратора брандмауэр Windows не настроен. ${SEE_HELP}"
    ${EndIf}

    CreateShortcut "${SHORTCUT}" "$INSTDIR\norvatessa.exe" "" "$INSTDIR\norvatessa.exe" 0 SW_SHOWNORMAL "" "Поиск и настройка контроллеров Norvatessa в локальной сети"

    ; SHCTX is HKLM for all users and HKCU for one, after SetShellVarContext in ApplyMode.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\norvatessa.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    !insertmacro FindAdmin
    ; The installation for all users is the one whose folder the machine's uninstall entry names.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} $0 == $INSTDIR
        StrCpy $Mode AllUsers
        SetShellVarContext all
    ${Else}
        StrCpy $Mode CurrentUser
        SetShellVarContext current
    ${EndIf}
    ${If} $Mode == AllUsers
    ${AndIf} $IsAdmin == 0
        ${If} ${Silent}
            SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
            Quit
        ${EndIf}
        ClearErrors
        ExecShell "runas" "$INSTDIR\uninstall.exe"
        ${If} ${Errors}
            MessageBox MB_OK|MB_ICONEXCLAMATION "Программу, установленную для всех пользователей, удаляет администратор."
        ${EndIf}
        Quit
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.WaitForProgramClosed
    ${If} $Mode == AllUsers
        !insertmacro RemoveFromFirewall "${FIREWALL_RULE}" "$INSTDIR\norvatessa.exe"
        !insertmacro RemoveFromFirewall "${FIREWALL_RULE_CLI}" "$INSTDIR\norvatessa-cli.exe"
    ${EndIf}
    Delete "$INSTDIR\norvatessa.exe"
    Delete "$INSTDIR\norvatessa-cli.exe"
    Delete "$INSTDIR\norvatessa.chm"
    Delete "$INSTDIR\readme.txt"
    ; The settings file that the program writes beside itself, and the temporary file of a save that
    ; was cut short. Each user's copy of the settings (%LOCALAPPDATA%\Norvatessa) is that user's, and
    ; stays; the help says so.
    Delete "$INSTDIR\norvatessa.config"
    Delete "$INSTDIR\norvatessa.config.part"
    Delete "$INSTDIR\uninstall.exe"
    ; Only if empty: files the user put there stay.
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
