// The floor of every timing: what starting a Windows process costs under Wine.
int main()
{
    return 0;
}
