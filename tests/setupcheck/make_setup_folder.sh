#!/usr/bin/env bash
# Makes a setup folder that setupcheck must find clean, with tools no one here
# wrote: iconv for the UTF-16LE language files, Info-ZIP zip for a payload
# encrypted with the payload password, ImageMagick for the welcome picture.
#   make_setup_folder.sh OUTPUT_DIR
set -euo pipefail
out=$1
rm -rf "$out.tmp" && mkdir -p "$out.tmp"
cd "$out.tmp"
mkdir -p lang redist docs payload/lang payload/bin

# UTF-8 on stdin to UTF-16LE with its byte-order mark, lines ending in CR LF.
utf16() { printf '\xff\xfe'; sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; }

utf16 > lang/Language.ini <<'INI'
[System]
LanguageList=EN||ZH
Languare=1
EN=English||Chinese
ZH=英语||中文
[Abbreviate]
1042=
2057=en
INI

printf '[Form1]\r\nButtonNext1=00000000101\r\nButtonCancel1=00000000102\r\nCheckBox1=00000000104\r\n' > lang/FormRes.ini

utf16 > lang/ResEN.ini <<'INI'
[Res]
00000_00001=%s Setup
00000_00002=%s Setup Wizard
00000_00003=Welcome to the %s Setup Wizard
00000_00004=This wizard installs %s.
00000_00005=Click Next to continue.
00000_00006=Setup installs %s in this folder.
00000_00007=%s is installed.
00000_00008=Installing %s
00000_00009=Please wait while %s is installed (100%% done at the end).
00000_00010=The folder cannot be made.
00000_00011=Setup is ready to install.
00000_00012=Click Install to begin.
00000_00013=Destination folder:
00000_00014=Choose a folder
00000_00015=Cancel the installation of %s?
00000_00016=Shortcut
00000_00017=Setup.dat is missing.
00000_00018=Setup
00000_00019=Installing %s
00000_00020=This file cannot be written:
00000_00021=Try again?
00000_00022=User manual
00000_00023=
00000_00024=Quendral
00000_00025=Drive %s is too full for the program.
00000_00026=Needed: %s
00000_00027=Free: %s
00000_00028=Undoing: %s
00000_00029=Undone.
[FormRes]
00000000101=&Next >
00000000102=Cancel
00000000104=Start the program
INI

utf16 > lang/ResZH.ini <<'INI'
[Res]
00000_00001=%s 安装
00000_00002=%s 安装向导
00000_00003=欢迎使用 %s 安装向导
00000_00004=本向导将在您的计算机上安装 %s。
00000_00005=单击“下一步”继续。
00000_00006=安装程序将把 %s 安装到此文件夹。
00000_00007=%s 已安装。
00000_00008=正在安装 %s
00000_00009=正在安装 %s，请稍候。
00000_00010=无法创建文件夹。
00000_00011=安装程序已准备就绪。
00000_00012=单击“安装”开始。
00000_00013=目标文件夹:
00000_00014=选择文件夹
00000_00015=要取消 %s 的安装吗?
00000_00016=快捷方式
00000_00017=缺少 Setup.dat。
00000_00018=安装
00000_00019=正在安装 %s
00000_00020=无法写入此文件:
00000_00021=重试吗?
00000_00022=用户手册
00000_00023=
00000_00024=Quendral
00000_00025=驱动器 %s 空间不足。
00000_00026=所需：%s
00000_00027=可用：%s
00000_00028=正在撤销：%s
00000_00029=已撤销。
[FormRes]
00000000101=下一步(&N)>
00000000102=取消
00000000104=启动程序
INI

convert -size 201x348 gradient:navy-white lang/setup.jpg

printf 'MZ the product\n' > payload/Zantivo.exe
printf 'MZ its uninstaller\n' > payload/UnInstall.exe
printf '%%PDF the manual\n' > payload/lang/ZantivoEN.pdf
python3 -c "print('page index batch ' * 4000)" > payload/bin/notes.txt
(cd payload && zip -q -r -9 -P 417263 ../Setup.dat .)
rm -r payload

printf 'MZ a further installer\n' > redist/runtime.exe
printf 'redist\\runtime.exe\r\n' > SoftwareList.dat
printf 'Invoices\r\nLetters\r\n' > BatchName.dat
printf '%%PDF help\n' > docs/guide.pdf
printf '[HelpFile]\r\nHelpFileName_1=docs\\guide.pdf\r\n' > Config.ini

cd ..
rm -rf "$out" && mv "$out.tmp" "$out"
