Attribute VB_Name = "VOKQM7"
' VOKQM7 from VB6 and VBA: the six exports and the calls that raise the
' library's message. Declare always calls stdcall; a ByVal String goes out
' in the system's ANSI code page, which is GBK (936) on a Chinese Windows.
Option Explicit

#If VBA7 Then
' Office 2010 and later; 64-bit Office loads only the 64-bit VOKQM7.dll.
Public Declare PtrSafe Function GetVersionQM7 Lib "VOKQM7.dll" () As Long
Public Declare PtrSafe Function GetReportDate Lib "VOKQM7.dll" (ByVal loginXml As String, ByVal outputPath As String, ByVal messageBuffer As String) As Long
Public Declare PtrSafe Function GetReport Lib "VOKQM7.dll" (ByVal loginXml As String, ByVal trailingNumber As Long, ByVal templatePath As String, ByVal dataFilePath As String, ByVal messageBuffer As String) As Long
Public Declare PtrSafe Function GetReportV2 Lib "VOKQM7.dll" (ByVal loginXml As String, ByVal outputPath As String, ByVal messageBuffer As String) As Long
Public Declare PtrSafe Function OpenReportV2 Lib "VOKQM7.dll" (ByVal loginXml As String, ByVal messageBuffer As String) As Long
Public Declare PtrSafe Function GetReportDateV2 Lib "VOKQM7.dll" (ByVal loginXml As String, ByVal outputPath As String, ByVal messageBuffer As String) As Long
#Else
Public Declare Function GetVersionQM7 Lib "VOKQM7.dll" () As Long
Public Declare Function GetReportDate Lib "VOKQM7.dll" (ByVal loginXml As String, ByVal outputPath As String, ByVal messageBuffer As String) As Long
Public Declare Function GetReport Lib "VOKQM7.dll" (ByVal loginXml As String, ByVal trailingNumber As Long, ByVal templatePath As String, ByVal dataFilePath As String, ByVal messageBuffer As String) As Long
Public Declare Function GetReportV2 Lib "VOKQM7.dll" (ByVal loginXml As String, ByVal outputPath As String, ByVal messageBuffer As String) As Long
Public Declare Function OpenReportV2 Lib "VOKQM7.dll" (ByVal loginXml As String, ByVal messageBuffer As String) As Long
Public Declare Function GetReportDateV2 Lib "VOKQM7.dll" (ByVal loginXml As String, ByVal outputPath As String, ByVal messageBuffer As String) As Long
#End If

' The error number a failed call raises; Err.Description holds the message.
Public Const vokqm7Error As Long = vbObjectError + 7

' No size goes with the buffer; the longest message takes 52 bytes.
Private Const MessageBufferSize As Long = 256

' The login text of a call, its values escaped.
Public Function LoginXml(ByVal account As String, ByVal year As Long, ByVal period As Long, ByVal server As String) As String
    LoginXml = "<Info><LoginInfo><AccountCode>" & EscapeXml(account) & "</AccountCode><Year>" & CStr(year) & _
        "</Year><Period>" & CStr(period) & "</Period><Server>" & EscapeXml(server) & "</Server></LoginInfo></Info>"
End Function

Private Function EscapeXml(ByVal value As String) As String
    value = Replace(value, "&", "&amp;")
    value = Replace(value, "<", "&lt;")
    value = Replace(value, ">", "&gt;")
    value = Replace(value, "'", "&apos;")
    EscapeXml = Replace(value, """", "&quot;")
End Function

' The message up to its zero byte, converted back from the ANSI code page.
Private Function MessageText(ByVal buffer As String) As String
    Dim zero As Long
    zero = InStr(buffer, vbNullChar)
    If zero > 0 Then buffer = Left$(buffer, zero - 1)
    MessageText = buffer
End Function

Private Sub CheckResult(ByVal functionName As String, ByVal result As Long, ByVal buffer As String)
    If result <> 0 Then
        Err.Raise vokqm7Error, functionName, functionName & " failed (" & CStr(result) & "): " & MessageText(buffer)
    End If
End Sub

' The combined filing of one period from the national-tax templates.
Public Sub WriteReportDate(ByVal login As String, ByVal outputPath As String)
    Dim buffer As String * MessageBufferSize
    CheckResult "GetReportDate", GetReportDate(login, outputPath, buffer), buffer
End Sub

' The same from the financial-report templates.
Public Sub WriteReportDateV2(ByVal login As String, ByVal outputPath As String)
    Dim buffer As String * MessageBufferSize
    CheckResult "GetReportDateV2", GetReportDateV2(login, outputPath, buffer), buffer
End Sub

' One statement: the login names ReportType and FileRep.
Public Sub WriteReportV2(ByVal login As String, ByVal outputPath As String)
    Dim buffer As String * MessageBufferSize
    CheckResult "GetReportV2", GetReportV2(login, outputPath, buffer), buffer
End Sub
