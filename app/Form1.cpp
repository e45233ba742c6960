#include "app/Form1.h"

constinit const sx::ClassInfo TForm1::StaticClass{
    .name = "TForm1",
    .parent = &sx::TForm::StaticClass,
    .construct = &sx::ConstructComponent<TForm1>,
};

TForm1* Form1 = nullptr;

TForm1::TForm1(sx::TComponent* owner) : sx::TForm(owner) {}

TForm1::TForm1(sx::TComponent* owner, sx::CreateNewTag tag) : sx::TForm(owner, tag) {}
