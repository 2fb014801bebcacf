// line comment with "quotes"
class Foo : public Bar { bool ok = true; };
#if 1
int live = 0x10;
#else
int dead;
#endif
template <typename T> T* p = nullptr; /* c */ char q = '"';
