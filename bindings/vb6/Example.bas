Attribute VB_Name = "Example"
' Writes the national-tax filing of one period (GetReportDate), one
' statement from a template (GetReportV2), and opens the interactive report
' tool logged in (OpenReportV2), showing the result or the library's
' message. Add VOKQM7.bas and VOKQM7Messages.bas to the project too.
Option Explicit

Private Const Account As String = "001"
Private Const Server As String = "acct-server"

Public Sub Main()
    On Error GoTo Failed
    Debug.Print "interface version " & GetVersionQM7()
    WriteReportDate LoginXml(Account, 2026, 11, Server), "C:\filing\001-2026-11.xml"
    WriteReportV2 LoginXml(Account, 2026, 11, Server, reportType:="ZCFZB", _
        fileRep:="C:\templates\zcfzb.rep"), "C:\filing\001-2026-11-balance.xml"
    OpenReport LoginXml(Account, 2026, 11, Server, userId:="manager", password:="", _
        loginDate:="2026-11-30", fileRep:="C:\templates\zcfzb.rep")
    MsgBox "GetReportDate and GetReportV2 wrote their documents; the report tool is starting."
    Exit Sub
Failed:
    Select Case Err.Number
    Case vokqm7ErrorBase + vokqm7MsgInstallInUse
        MsgBox "Another filing is using the accounting package. Please try again later.", vbInformation
    Case vokqm7ErrorBase + vokqm7MsgCallerTextNotGbk
        MsgBox "Set the system's code page for non-Unicode programs to Chinese (Simplified) to use Chinese names.", vbExclamation
    Case Else
        MsgBox Err.Description, vbExclamation, "VOKQM7 (" & CStr(Err.Number - vokqm7ErrorBase) & ")"
    End Select
End Sub
