# Tab completion for vexa.exe in PowerShell. Load it in a session, or from
# your profile ($PROFILE), with:
#   . <folder of vexa.exe>\vexa.ps1
# The completer comes from vexa.exe beside this file
# (vexa.exe --completion powershell), so it offers exactly the commands,
# options and values that this vexa.exe takes. Put the folder on PATH to
# complete "vexa".
$vexa = Join-Path $PSScriptRoot 'vexa.exe'
& $vexa --completion powershell | Out-String | Invoke-Expression
