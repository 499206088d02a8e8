// The identifiers of the sign-up window's controls, named after the controls
// of the window they stand for; shared by tolvane.rc and the code.
#pragma once

#define IDD_WelcomeForm 102

// The sign-up page, in the order Tab visits it.
#define IDC_Welcome_Label12 1201
#define IDC_Welcome_Label1 1202
#define IDC_Welcome_Label5 1203
#define IDC_Welcome_EdName 1204
#define IDC_Welcome_Label6 1205
#define IDC_Welcome_EdEmail 1206
#define IDC_Welcome_LblEmailError 1207
#define IDC_Welcome_Label7 1208
#define IDC_Welcome_EdWebsite 1209
#define IDC_Welcome_Label8 1210
#define IDC_Welcome_EdDescription 1211
#define IDC_Welcome_LblSendError 1212
#define IDC_Welcome_Label9 1213
#define IDC_Welcome_Button2 1214

// The IDs page.
#define IDC_Welcome_Label10 1221
#define IDC_Welcome_Label2 1222
#define IDC_Welcome_EdPartnerID 1223
#define IDC_Welcome_Label4 1224
#define IDC_Welcome_EdSoftwareID 1225
#define IDC_Welcome_Label11 1226
#define IDC_Welcome_ComboBox1 1227
#define IDC_Welcome_Label3 1228
#define IDC_Welcome_BtnSaveChanges 1229
