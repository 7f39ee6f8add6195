Attribute VB_Name = "VOKQM7Messages"
' Made by cmake/binding_messages.py from request/messages.h; the build fails when it differs.
' The library's messages by the numbers of docs/messages.md and vokqm7 explain.
' A failed call raises vokqm7ErrorBase + the number (VOKQM7.bas).
Option Explicit

Public Const vokqm7MsgParseFailed As Long = 1
Public Const vokqm7MsgInstallMissing As Long = 2
Public Const vokqm7MsgTemplateMissing As Long = 3
Public Const vokqm7MsgTemplateCopyFailed As Long = 4
Public Const vokqm7MsgIncomeTemplateCopyFailed As Long = 5
Public Const vokqm7MsgBalanceTemplateCopyFailed As Long = 6
Public Const vokqm7MsgSingleLaunchFailed As Long = 7
Public Const vokqm7MsgSingleNoOutput As Long = 8
Public Const vokqm7MsgNoDataFilePath As Long = 9
Public Const vokqm7MsgDataFileCopyFailed As Long = 10
Public Const vokqm7MsgIncomeLaunchFailed As Long = 11
Public Const vokqm7MsgIncomeTimedOut As Long = 12
Public Const vokqm7MsgIncomeNoOutput As Long = 13
Public Const vokqm7MsgIncomeKeepFailed As Long = 14
Public Const vokqm7MsgBalanceLaunchFailed As Long = 15
Public Const vokqm7MsgBalanceTimedOut As Long = 16
Public Const vokqm7MsgBalanceNoOutput As Long = 17
Public Const vokqm7MsgBalanceKeepFailed As Long = 18
Public Const vokqm7MsgByTypeLaunchFailed As Long = 19
Public Const vokqm7MsgByTypeTimedOut As Long = 20
Public Const vokqm7MsgByTypeNoOutput As Long = 21
Public Const vokqm7MsgByTypeKeepFailed As Long = 22
Public Const vokqm7MsgUnsupportedReportType As Long = 23
Public Const vokqm7MsgOutputWriteFailed As Long = 24
Public Const vokqm7MsgBalanceExportUnreadable As Long = 25
Public Const vokqm7MsgIncomeExportUnreadable As Long = 26
Public Const vokqm7MsgInstallInUse As Long = 27
Public Const vokqm7MsgCallerTextNotGbk As Long = 28

' The number of the message whose GBK bytes, in hex, these are; 0 for none.
Public Function Vokqm7MessageNumber(ByVal gbkHex As String) As Long
    Select Case gbkHex
    Case "B7D6CEF6CAE4C8EBB2CECAFDB4EDCEF321": Vokqm7MessageNumber = vokqm7MsgParseFailed
    Case "B0B2D7B0B3CCD0F2D0C5CFA2B2BBD5FDC8B7A3ACC7EBD6D8D0C2B0B2D7B0B3CCD0F221": Vokqm7MessageNumber = vokqm7MsgInstallMissing
    Case "C7EBBCECB2E9C4A3B0E6CEC4BCFECAC7B7F1B4E6D4DA21": Vokqm7MessageNumber = vokqm7MsgTemplateMissing
    Case "B8B4D6C6C4A3B0E6CEC4BCFEB3F6B4EDA3ACC7EBBCECB2E9C4A3B0E6CEC4BCFECAC7B7F1B4E6D4DA21": Vokqm7MessageNumber = vokqm7MsgTemplateCopyFailed
    Case "B8B4D6C6CBF0D2E6B1EDC4A3B0E6CEC4BCFEB3F6B4EDA3ACC7EBBCECB2E9C4A3B0E6CEC4BCFECAC7B7F1B4E6D4DA21": Vokqm7MessageNumber = vokqm7MsgIncomeTemplateCopyFailed
    Case "B8B4D6C6D7CAB2FAB8BAD5AEB1EDC4A3B0E6CEC4BCFEB3F6B4EDA3ACC7EBBCECB2E9C4A3B0E6CEC4BCFECAC7B7F1B4E6D4DA21": Vokqm7MessageNumber = vokqm7MsgBalanceTemplateCopyFailed
    Case "B5F7D3C3BDD3BFDAB3CCD0F2CAA7B0DC21": Vokqm7MessageNumber = vokqm7MsgSingleLaunchFailed
    Case "BDD3BFDAB3CCD0F2CEDECAE4B3F6CEC4BCFE21": Vokqm7MessageNumber = vokqm7MsgSingleNoOutput
    Case "C3BBD3D0D6B8B6A8C9FAB3C9B5C4CAFDBEDDCEC4BCFEC2B7BEB621": Vokqm7MessageNumber = vokqm7MsgNoDataFilePath
    Case "C7EBBCECB2E9D6B8B6A8CEC4BCFEC3FBB3C6CAC7B7F1D5FDC8B721": Vokqm7MessageNumber = vokqm7MsgDataFileCopyFailed
    Case "D4DAC9FAB3C9CBF0D2E6CAFDBEDDCAB12CB5F7D3C3BDD3BFDAB3CCD0F2CAA7B0DC21": Vokqm7MessageNumber = vokqm7MsgIncomeLaunchFailed
    Case "D4DAC9FAB3C9CBF0D2E6CAFDBEDDCAB12CB2D9D7F7B3ACCAB121": Vokqm7MessageNumber = vokqm7MsgIncomeTimedOut
    Case "BDD3BFDAB3CCD0F2CEDECBF0D2E6B1EDCAFDBEDDCEC4BCFECAE4B3F621": Vokqm7MessageNumber = vokqm7MsgIncomeNoOutput
    Case "B8B4D6C6CBF0D2E6B1EDCAFDBEDDCEC4BCFEB3F6B4ED21": Vokqm7MessageNumber = vokqm7MsgIncomeKeepFailed
    Case "D4DAC9FAB3C9D7CAB2FAB8BAD5AECAFDBEDDCAB12CB5F7D3C3BDD3BFDAB3CCD0F2CAA7B0DC21": Vokqm7MessageNumber = vokqm7MsgBalanceLaunchFailed
    Case "D4DAC9FAB3C9D7CAB2FAB8BAD5AECAFDBEDDCAB12CB2D9D7F7B3ACCAB121": Vokqm7MessageNumber = vokqm7MsgBalanceTimedOut
    Case "BDD3BFDAB3CCD0F2CEDED7CAB2FAB8BAD5AEB1EDCEC4BCFECAE4B3F621": Vokqm7MessageNumber = vokqm7MsgBalanceNoOutput
    Case "B8B4D6C6D7CAB2FAB8BAD5AEB1EDCAFDBEDDCEC4BCFEB3F6B4ED21": Vokqm7MessageNumber = vokqm7MsgBalanceKeepFailed
    Case "D4DAC9FAB3C9CAFDBEDDCAB12CB5F7D3C3BDD3BFDAB3CCD0F2CAA7B0DC21": Vokqm7MessageNumber = vokqm7MsgByTypeLaunchFailed
    Case "D4DAC9FAB3C9CAFDBEDDCAB12CB2D9D7F7B3ACCAB121": Vokqm7MessageNumber = vokqm7MsgByTypeTimedOut
    Case "BDD3BFDAB3CCD0F2CAFDBEDDCEC4BCFECAE4B3F621": Vokqm7MessageNumber = vokqm7MsgByTypeNoOutput
    Case "B8B4D6C6CAFDBEDDCEC4BCFEB3F6B4ED21": Vokqm7MessageNumber = vokqm7MsgByTypeKeepFailed
    Case "B2BBD6A7B3D6B5C4B1A8B1EDC0E0D0CD21": Vokqm7MessageNumber = vokqm7MsgUnsupportedReportType
    Case "C9FAB3C9D7EED6D5CAFDBEDDCEC4BCFEB4EDCEF32CC7EBBCECB2E9B5BCB3F6CEC4BCFEC3FBB3C6CAC7B7F1BACFB7A821": Vokqm7MessageNumber = vokqm7MsgOutputWriteFailed
    Case "B7D6CEF6D7CAB2FAB8BAD5AEB1EDCAFDBEDDCEC4BCFEB4EDCEF321": Vokqm7MessageNumber = vokqm7MsgBalanceExportUnreadable
    Case "B7D6CEF6CBF0D2E6B1EDCAFDBEDDCEC4BCFEB4EDCEF321": Vokqm7MessageNumber = vokqm7MsgIncomeExportUnreadable
    Case "B2C6CEF1C8EDBCFEB0B2D7B0C4BFC2BCD5FDB1BBC1EDD2BBB8F6B1A8B1EDB5F7D3C3CAB9D3C32CC7EBC9D4BAF3D4D9CAD421": Vokqm7MessageNumber = vokqm7MsgInstallInUse
    Case "CFB5CDB3B4FAC2EBD2B3B2BBCAC73933362847424B292CCEDEB7A8B4A6C0EDD6D0CEC4B2CECAFD21": Vokqm7MessageNumber = vokqm7MsgCallerTextNotGbk
    Case Else: Vokqm7MessageNumber = 0
    End Select
End Function
