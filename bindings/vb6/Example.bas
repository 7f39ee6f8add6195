Attribute VB_Name = "Example"
' Writes the national-tax filing of one period (GetReportDate) and shows
' the result or the library's message. Add VOKQM7.bas to the project too.
Option Explicit

Public Sub Main()
    Dim outputPath As String
    outputPath = "C:\filing\001-2026-11.xml"
    On Error GoTo Failed
    Debug.Print "interface version " & GetVersionQM7()
    WriteReportDate LoginXml("001", 2026, 11, "acct-server"), outputPath
    MsgBox "GetReportDate wrote " & outputPath
    Exit Sub
Failed:
    MsgBox Err.Description, vbExclamation, "VOKQM7"
End Sub
