OMBRIX 1.0 - HELP

Ombrix turns a batch of files into ".kvr" or ".kvx" containers and back again, with a password, in one window.


THE TWO KINDS OF CONTAINER

".kvr", the default, is kept so that existing containers open. It does not protect anything: it holds the file's name, the password and the file's bytes, each byte shifted by a small fixed amount. The shift uses no key, and the password is stored inside the container: anyone who knows the format can read the file without the password. Do not rely on it for secrets.

".kvx" really encrypts: a key is derived from the password (Argon2id), and the contents are encrypted and sealed with it (XChaCha20-Poly1305). Without the password they cannot be read. A container that was changed, cut short or made longer is refused, and nothing is restored from it. An empty password is refused.

What ".kvx" does not hide: the file's name (it is the container's own name), its size (the container's size gives it away), its dates and its permissions. A weak password stays weak.

Deriving the key takes about a second, once per password in a batch: many files encrypted together with one password cost that second once, and once again when they are decrypted.


THE STEPS

1. Pick the files in the picker on the right: browse to a folder, select files in its listing and press Add (or Enter). Picks may come from several folders; Remove and Clear take them away again.
2. Choose Encrypt or Decrypt under "Select Process". When encrypting, choose ".kvr" or ".kvx" under "Container format" in the picker (Alt+O).
3. Choose where the results go, under "Destination Settings".
4. Choose how passwords are given, under "Password Settings".
5. Tick "Delete Original File After Completing" if the originals should go.
6. With one password for all files, type it twice under "Final Stage".
7. Press the main button (Encrypt or Decrypt). A summary ends the batch.

Files can also be picked before the window opens: "Open with Ombrix" in a file manager, or "ombrix FILE..." in a terminal, starts Ombrix with those files already picked. A name that is not a file is left out and named in red in the picker.


THE SETTINGS

Encrypt
Writes one container per picked file, of the kind chosen in the picker. A ".kvr" container is named after the file with the extension ".kvr": "report.txt" becomes "report.kvr". A ".kvx" container keeps the whole name: "report.txt" becomes "report.txt.kvx". The choice is shown in Encrypt mode only, and every run starts with ".kvr".

Decrypt
Takes picked ".kvr" and ".kvx" containers and restores each file: from ".kvr" under the name stored in it, from ".kvx" under the container's name without ".kvx" (in any letter case). Picked files that are not containers stay picked, greyed in the picker with "not a container"; the batch reports and skips them.

... into the Specified Directory
Every result goes into the destination folder chosen in the picker.

... into the Respective Directories
Every result goes into the folder of the file it came from; the picker's destination folder is not used.

When a result's name is taken, Ombrix finds a free numbered name ("report1.kvr", "report2.kvr", ...) and asks whether to replace the existing file instead. "Yes" replaces it; "No" uses the numbered name.

Apply Same Password to All Files
The password typed under "Final Stage" is used for every file. The main button is available only while "Enter Password" and "Confirm Password" hold the same text, letter case included. Leaving the confirmation field with a different text shows "PassWord Is Not Confirmed, Please Retype it." and empties the confirmation.

Prompt For Password to Each File
A small window asks for the password of each file in turn. Type it twice; OK is available when both fields match. Cancel skips that file. When decrypting, a wrong password is asked for again ("Failed :( ... )") until it is right or you press Cancel.

Delete Original File After Completing
After a file was encrypted or decrypted completely, its original is deleted. A file that failed or was skipped is never deleted.


THE PROGRESS BARS AND THE SUMMARY

The red bar at the right of "Final Stage" shows how far the current file is; the bar under the password fields counts the files of the batch. Both disappear when the batch is over, and the box "Completed" shows:

Selected File(s): the number of picked files.
Encrypted File(s) or Decrypted File(s): the files that were processed completely.
Deleted Files: the originals that were actually removed.

A problem with one file (unreadable, no room, not a container, a damaged container, a cancelled password) is reported in a box of its own, and the batch goes on with the next file. While a batch runs, the window shows its progress, its settings and the picker are greyed, and it takes no other input; a request to close the window (the close box, Alt+F4 or Escape) is carried out when the batch is over.


OTHER BUTTONS AND KEYS

Help, or F1: this text, read from the file "help.sh" in the folder the program was started from, or else from the copy installed with the program.
ABOUT: the version of Ombrix. Also "About Ombrix..." in the window's own menu: right-click an empty part of the window, or press Shift+F10 or the Menu key while a button, a setting or the check box has the focus (in a text field or the picker's lists these keys open that control's own menu). Alt+Space opens it as well where the window manager leaves that key to programs; most keep it for their own window menu.
Alt and an underlined letter choose a setting; the arrow keys then move among the choices of its group.
Exit: ends the program. Escape and the close box do the same. Nothing is kept between runs.
